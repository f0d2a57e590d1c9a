#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// When the bytes of one request frame reached us: the first and the last byte, and the
// shortest and longest gap between two chunks of it. Bytes read in one chunk have no gap we
// can see (the tester wrote them at once, or we read late): they add none. A frame that came
// in one piece has no gaps, both 0.
struct FrameArrival {
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;
    TimePoint first{};
    TimePoint last{};
    Duration minGap{};
    Duration maxGap{};
};

// Why bytes from the line were not taken as (part of) a request.
enum class IgnoredBytes {
    IgnitionOff,        // the whole chunk, read while the ignition is off
    WakeUp,             // the zero byte of a fast-init wake-up at a frame's start
    NotAFrameStart,     // a byte that is no served format byte, and the rest of its chunk
    StalePartialFrame,  // the start of a frame whose continuation came more than 40 ms later
};

// Why a whole request got no reply.
enum class UnansweredReason {
    IgnitionOff,   // read while the ignition was off
    OtherAddress,  // the selected controller type does not serve the target address
    NotStarted,    // communication not started yet
    NoService,     // nothing served the service or its parameters
    FaultMode,     // an injected fault withheld the reply
    QueueFull,     // it came while the most requests a waiting reply may hold were held
};
constexpr int kUnansweredReasonCount = 6;

// The steps of a slow init, as the line shows them.
enum class SlowInitStep {
    Address,          // the 5-baud address heard (its end: W1 counts from there)
    Sync,             // 0x55 on its way, at its moment
    KeyByte1,         // the key bytes, each at its moment
    KeyByte2,
    InvertedKey,      // the tester's second key byte, inverted
    InvertedAddress,  // on its way at its moment: the link is open
    Refused,          // the tester answered wrongly or not at all: the init ends unanswered
    LinkDropped,      // no request for P3max: a new init is needed
};

// Watches what the emulator makes of the bytes it reads. The emulator calls it on the
// main thread while it handles a chunk; without an observer it does none of this work.
class LinkObserver {
public:
    virtual ~LinkObserver() = default;
    // A whole request frame, header to checksum, before it is served.
    virtual void RequestReceived(const std::uint8_t* frame, std::size_t n, const FrameArrival& arrival) = 0;
    // A request held while a reply waited is being answered now; until the next request or
    // answer, what follows (a reply, or none) is its. lastByte is when its last byte came.
    virtual void AnsweringHeldRequest(FrameArrival::TimePoint lastByte) { (void)lastByte; }
    // The request reported last (or the held one being answered) got no reply.
    virtual void RequestUnanswered(UnansweredReason reason) = 0;
    virtual void BytesIgnored(IgnoredBytes why, const std::uint8_t* bytes, std::size_t n,
                              FrameArrival::TimePoint arrival) = 0;
    // A step of a slow init: the byte it is about and its moment.
    virtual void SlowInit(SlowInitStep step, std::uint8_t byte, FrameArrival::TimePoint at) {
        (void)step, (void)byte, (void)at;
    }
};
