#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "protocol/SlowInitTiming.h"

// What a link opened by a slow init carries.
enum class SlowInitLink {
    Kwp,      // KWP2000 frames, as after a fast init (ISO 14230-4, or the type's own address)
    Iso9141,  // ISO 9141-2 frames: 68 6A F1 … in, 48 6B … out
};

// The controller's side of one slow init and of the link it opens: the sync byte and the key
// bytes after the address, the inverted address once the tester has sent the second key byte
// inverted, and the end of the link after P3max without a request. Plain logic on given
// moments; the caller writes the bytes at their moments and asks Expire at Deadline.
class SlowInitSession {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr std::uint8_t kSync = 0x55;
    // How long the tester's inverted key byte is waited for after the second key byte: the
    // tester's W4 is graded by the monitor, not enforced here.
    static constexpr std::chrono::milliseconds kInvertedKeyWait{1000};
    static constexpr std::chrono::milliseconds kP3Max{5000};

    enum class Stage {
        Idle,
        AwaitingInvertedKey,  // sync and key bytes on their way or sent
        Active,               // the link is open
    };

    struct TimedByte {
        std::uint8_t byte;
        TimePoint moment;
    };
    struct KeyBytes {
        std::uint8_t kb1;
        std::uint8_t kb2;
    };

    // The address came to its end at `end`: 0x55 and the key bytes, at their moments.
    std::array<TimedByte, 3> Begin(std::uint8_t address, KeyBytes keys, SlowInitLink link, TimePoint end,
                                   const SlowInitTiming& timing);
    // A byte from the line while the inverted key byte is awaited. Our own bytes heard back
    // first are passed over. The right byte opens the link and gives the inverted address at its
    // moment; any other ends the init unanswered.
    std::optional<TimedByte> TesterByte(std::uint8_t byte, TimePoint arrival, const SlowInitTiming& timing);
    // A request was read: P3 counts afresh.
    void RequestRead(TimePoint arrival) { lastRequest_ = arrival; }

    std::optional<TimePoint> Deadline() const;
    // True when the init or the link ended by `now` for want of the tester.
    bool Expire(TimePoint now);
    void End() { stage_ = Stage::Idle; }

    Stage CurrentStage() const { return stage_; }
    bool Active() const { return stage_ == Stage::Active; }
    std::uint8_t Address() const { return address_; }
    SlowInitLink Link() const { return link_; }
    KeyBytes Keys() const { return keys_; }

private:
    Stage stage_ = Stage::Idle;
    std::uint8_t address_ = 0;
    SlowInitLink link_ = SlowInitLink::Kwp;
    KeyBytes keys_{};
    std::array<std::uint8_t, 3> sent_{};
    std::size_t echoesHeard_ = 0;
    TimePoint lastKey_{};
    TimePoint lastRequest_{};
};
