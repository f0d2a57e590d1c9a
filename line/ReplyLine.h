#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "line/ReplyPacer.h"
#include "line/ReplyPieces.h"
#include "protocol/ReplyTiming.h"

// The controller's side of the line. Without a reply timing a reply goes to the port at once,
// from the caller's thread, as it always has. With one, or when a reply is cut into pieces, the
// pacer writes it: its first byte P2 after the last byte of the request it answers (or after
// the previous reply, if that left later), its bytes P1 apart. Main thread only.
class ReplyLine {
public:
    using Clock = ReplyPacer::Clock;

    // Told of every frame as it leaves, on the main thread: the bytes, the first and the last
    // byte's moments. The pacer's frames reach it through the pacer's own frameLeft event.
    using FrameLeft = std::function<void(const std::uint8_t*, std::size_t, Clock::time_point, Clock::time_point)>;

    ReplyLine(ReplyPacer::Writer writer, ReplyPacer::Events events);
    // For the frames written at once.
    void SetOnFrameLeft(FrameLeft handler) { frameLeft_ = std::move(handler); }
    // A frame written at once that the port did not take: its bytes and the moment offered.
    using FrameRefused = std::function<void(const std::uint8_t*, std::size_t, Clock::time_point)>;
    void SetOnFrameRefused(FrameRefused handler) { frameRefused_ = std::move(handler); }

    // Takes effect for the replies sent from now on.
    void SetTiming(ReplyTiming timing) { timing_ = timing; }
    ReplyTiming Timing() const { return timing_; }

    // The replies sent until the next call answer a request whose last byte was read then, and
    // leave no earlier than `p2Min` after it, whatever the timing says (an ISO 9141-2 link).
    void AnsweringRequest(Clock::time_point lastByteRead, std::chrono::milliseconds p2Min = {}) {
        requestEnd_ = lastByteRead;
        p2Min_ = p2Min;
    }

    // A whole reply frame; returns what the port took (or count, when the pacer took it).
    // A port error of an immediate write is thrown; the pacer's are told through its events.
    int Send(const std::uint8_t* bytes, int count);
    // A reply in pieces with pauses between them, through the pacer; one piece without a pause
    // is a whole frame as above.
    void Send(const ReplyPieces& pieces);

    // Bytes of a wake-up exchange, to leave at `moment` (at once when it has passed), after
    // whatever waits before them; each is told as a frame of its own.
    void SendAt(const std::uint8_t* bytes, int count, Clock::time_point moment);

    // True while a reply waits for its moment or is being written.
    bool Waiting() const { return pacer_.Busy(); }
    // Before the port closes: ends the pacer, dropping what still waits.
    void Stop() { pacer_.Stop(); }

private:
    void Pace(ReplyPieces pieces);

    ReplyPacer::Writer writer_;
    FrameLeft frameLeft_;
    FrameRefused frameRefused_;
    ReplyPacer pacer_;
    ReplyTiming timing_;
    Clock::time_point requestEnd_{};
    std::chrono::milliseconds p2Min_{};
};
