#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Hears a tester send a controller's address at 5 baud. On a real adapter at 10400 baud the
// slow byte arrives as a zero byte (a break) at each falling edge of the line; the address is
// told by when they came, and the byte ends 2 s after the first. On a pseudo-terminal the byte
// arrives whole: a lone served address after 300 ms of silence, outside a frame, with nothing
// after it for 50 ms. None of the served addresses can start a frame, and a zero byte followed
// by anything else stays a fast-init wake-up. Plain logic on given moments: the caller asks
// Check at Deadline, and before it hands over bytes that came later.
class SlowInitRecogniser {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr std::chrono::milliseconds kIdleBefore{300};    // W5
    static constexpr std::chrono::milliseconds kEdgeTolerance{30};  // a USB adapter's latency
    static constexpr std::chrono::milliseconds kQuietAfterLoneByte{50};

    struct Heard {
        std::uint8_t address;
        TimePoint end;  // the end of the slow byte: W1 counts from here
    };

    // The addresses answered at 5 baud now; with none, nothing is heard.
    void SetAddresses(std::vector<std::uint8_t> addresses) { addresses_ = std::move(addresses); }

    // A chunk read from the line, with its arrival; `frameInProgress` when a frame had begun.
    void Bytes(const std::uint8_t* bytes, std::size_t n, TimePoint arrival, bool frameInProgress);
    // When Check next has something to decide.
    std::optional<TimePoint> Deadline() const;
    // The address heard, once its moment to decide has come by `now`.
    std::optional<Heard> Check(TimePoint now);
    // Whether a lone byte now waits to be taken as an address.
    bool HoldsLoneByte() const { return lone_.has_value(); }
    void Reset();

private:
    bool Served(std::uint8_t byte) const;
    std::optional<Heard> Match() const;

    struct LoneByte {
        std::uint8_t byte;
        TimePoint arrival;
    };

    std::vector<std::uint8_t> addresses_;
    std::optional<TimePoint> lastByte_;
    std::vector<TimePoint> edges_;  // the breaks of a byte being sent at 5 baud
    std::optional<LoneByte> lone_;
};
