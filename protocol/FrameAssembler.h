#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "protocol/KwpFrame.h"
#include "protocol/LinkObserver.h"

// Gathers the bytes of consecutive chunks into request frames. A frame is handed out as
// soon as the size its header announces has arrived, from one chunk or from many; a
// chunk may complete one frame and carry further ones. A partial frame is dropped when
// the next chunk comes more than 40 ms after the last one that added to it: a tester
// leaves at most 20 ms between the bytes of one request and 55 ms between requests.
class FrameAssembler {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr std::chrono::milliseconds kStaleAfter{40};

    // Takes the next chunk, which must stay unchanged while NextFrame hands out its
    // frames. What the previous chunk still held unread is dropped.
    void Accept(const std::uint8_t* chunk, std::size_t n, TimePoint arrival);

    // The next complete frame of the chunk, in order; nullopt once the chunk is used
    // up, a trailing partial frame then waiting for its continuation. At a frame's start
    // a byte that is no served format byte makes the rest of the chunk be ignored. The
    // view stays valid until the next call.
    std::optional<FrameView> NextFrame();

    // Bytes of a run of the line, pointing into the chunk or the split buffer; valid until
    // the next call that changes the assembler.
    struct ByteRun {
        const std::uint8_t* bytes = nullptr;
        std::size_t n = 0;
    };
    // The frame NextFrame handed out last, header to checksum, and when its bytes came.
    ByteRun LastFrame() const { return lastFrame_; }
    const FrameArrival& LastFrameArrival() const { return lastArrival_; }
    // The partial frame that the last Accept dropped as stale (empty when none).
    ByteRun DroppedStale() const { return droppedStale_; }
    // The bytes of the current chunk ignored at a frame start (empty when none).
    ByteRun IgnoredAtFrameStart() const { return ignored_; }

    // Whether frames with functional addressing (format bytes 0xC0..0xFF) are taken at a
    // frame's start; off, they are ignored like any byte that starts no frame.
    void SetAcceptFunctional(bool accept) { acceptFunctional_ = accept; }

    bool SplitFramePending() const { return splitLength_ > 0; }
    // Forgets a partial frame.
    void Reset();

private:
    std::optional<FrameView> StartFrame();
    std::optional<FrameView> ContinueSplit();

    const std::uint8_t* chunk_ = nullptr;
    std::size_t chunkSize_ = 0;
    std::size_t position_ = 0;
    TimePoint arrival_{};
    bool acceptFunctional_ = false;

    // Bytes of the current chunk went into the split frame: the gap before it is counted.
    void NoteAdded();
    bool chunkNoted_ = false;

    std::array<std::uint8_t, kMaxFrameSize> splitBuffer_{};
    std::size_t splitLength_ = 0;
    TimePoint lastAdded_{};

    FrameArrival splitArrival_{};
    FrameArrival lastArrival_{};
    ByteRun lastFrame_{};
    ByteRun droppedStale_{};
    ByteRun ignored_{};
};
