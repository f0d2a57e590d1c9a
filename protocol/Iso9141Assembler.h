#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "protocol/LinkObserver.h"

// Gathers the bytes of ISO 9141-2 requests, which carry no length: a request ends with the byte
// whose checksum closes it when no byte follows within P4max. Testers send the bytes one at a
// time, some 5 ms apart. A start that does not close is dropped when the next byte comes more
// than 40 ms after it, as a partial KWP frame is. Plain logic on given moments: the caller asks
// Check at Deadline, and before it hands over bytes that came later.
class Iso9141Assembler {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr std::chrono::milliseconds kP4Max{20};
    static constexpr std::chrono::milliseconds kStaleAfter{40};

    struct Frame {
        std::vector<std::uint8_t> bytes;  // header to checksum
        FrameArrival arrival;
    };

    // A chunk read from the line.
    void Accept(const std::uint8_t* bytes, std::size_t n, TimePoint arrival);
    std::optional<TimePoint> Deadline() const;
    // The request that has ended by `now`.
    std::optional<Frame> Check(TimePoint now);

    // Of the last Accept: bytes that could not start a request, and a start dropped as stale
    // or too long (empty when none).
    const std::vector<std::uint8_t>& Ignored() const { return ignored_; }
    const std::vector<std::uint8_t>& Dropped() const { return dropped_; }
    bool Pending() const { return !frame_.bytes.empty(); }
    void Reset() { frame_ = {}; }

private:
    bool Closes() const;

    Frame frame_;
    std::vector<std::uint8_t> ignored_;
    std::vector<std::uint8_t> dropped_;
};
