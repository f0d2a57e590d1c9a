#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "emulator/Dispatcher.h"
#include "emulator/EcuEnvironment.h"
#include "emulator/Fluctuation.h"
#include "protocol/FrameAssembler.h"
#include "protocol/LinkObserver.h"
#include "emulator/ObdResponder.h"
#include "emulator/ResponseFramer.h"
#include "emulator/ServiceContext.h"

// The emulated controller as the console sees it: the port's received-data handler, the
// deviation timer, and the flags start-up resets.
class EcuEmulator {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // The clock times the gaps between chunks the environment does not stamp; it must be
    // monotonic. An empty clock or seed source stands for the default one.
    explicit EcuEmulator(EcuEnvironment& env, Clock clock = std::chrono::steady_clock::now,
                         Fluctuation::SeedSource seedSource = {});

    EcuEmulator(const EcuEmulator&) = delete;
    EcuEmulator& operator=(const EcuEmulator&) = delete;

    // OnRxChar: reads the `count` bytes waiting, in pieces of at most the receive buffer
    // (or of one arrival, as the environment gives them), lights the request lamps and,
    // with the ignition on, logs each piece and answers every request it completes. A
    // reply that cannot be converted throws; the rest of that piece is then dropped.
    void SerComm1RxChar(int count);

    // The reply the environment held requests for has left: answers the requests completed
    // meanwhile, in order, until one of them leaves a reply waiting again. A reply that
    // cannot be converted throws; that request is then dropped and the rest stay held.
    void ReplyGone();

    // Timer4: one step of the deviation walk while the trip check runs.
    void Timer4Timer();

    // Start-up: communication not started, no partial frame or held request waiting.
    void ResetFlags();

    // The most requests held while a reply waits; one more is dropped, unanswered: a fast
    // tester would otherwise get answers long after it stopped waiting for them.
    static constexpr int kMostHeldRequests = 16;

    // Someone watching what becomes of the bytes read (not owned; null: nobody).
    void SetLinkObserver(LinkObserver* observer) { observer_ = observer; }

    bool CommunicationActive() const { return dispatcher_.CommunicationActive(); }
    bool SplitFramePending() const { return assembler_.SplitFramePending(); }
    int HeldRequests() const { return static_cast<int>(held_.size()); }
    Fluctuation& GetFluctuation() { return fluctuation_; }
    // Which controller types also answer the generic OBD-II requests.
    ObdOption& Obd() { return obd_.Option(); }

private:
    // A request completed while a reply was waiting.
    struct HeldRequest {
        std::vector<std::uint8_t> data;
        std::uint8_t target;
        std::uint8_t source;
        bool functional;
        FrameAssembler::TimePoint lastByteRead;
    };

    void HandleChunk(std::size_t n);
    // When the bytes of the chunk just read arrived: the environment's stamp, or the clock.
    FrameAssembler::TimePoint ChunkArrival() const;
    void Serve(const FrameView& frame, FrameAssembler::TimePoint arrival);
    void Answer(const FrameView& frame, FrameAssembler::TimePoint lastByteRead);
    void ReportIgnored(FrameAssembler::TimePoint arrival);

    EcuEnvironment& env_;
    Clock clock_;
    Fluctuation fluctuation_;
    ResponseFramer framer_;
    Dispatcher dispatcher_;
    ObdResponder obd_;
    FrameAssembler assembler_;
    std::array<std::uint8_t, 1024> rxBuffer_{};
    RequestBuffer requestData_{};
    LinkObserver* observer_ = nullptr;
    std::deque<HeldRequest> held_;
};
