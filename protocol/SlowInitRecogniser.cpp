#include "protocol/SlowInitRecogniser.h"

#include <algorithm>

#include "protocol/FiveBaudByte.h"

namespace {

constexpr std::chrono::milliseconds kByteTime{kFiveBaudByteMs};

}  // namespace

bool SlowInitRecogniser::Served(std::uint8_t byte) const {
    return std::find(addresses_.begin(), addresses_.end(), byte) != addresses_.end();
}

void SlowInitRecogniser::Bytes(const std::uint8_t* bytes, std::size_t n, TimePoint arrival, bool frameInProgress) {
    if (n == 0) {
        return;
    }
    const bool quietBefore = !lastByte_ || arrival - *lastByte_ >= kIdleBefore;
    lastByte_ = arrival;
    lone_.reset();
    const bool breaks = std::all_of(bytes, bytes + n, [](std::uint8_t b) { return b == 0x00; });
    if (!breaks) {
        edges_.clear();
        if (n == 1 && quietBefore && !frameInProgress && Served(bytes[0])) {
            lone_ = LoneByte{bytes[0], arrival};
        }
        return;
    }
    // Zeros read together belong to one fall of the line.
    if (!edges_.empty() && arrival - edges_.front() < kByteTime) {
        edges_.push_back(arrival);
    } else if (quietBefore && !frameInProgress) {
        edges_.assign(1, arrival);
    } else {
        edges_.clear();
    }
}

std::optional<SlowInitRecogniser::TimePoint> SlowInitRecogniser::Deadline() const {
    if (lone_) {
        return lone_->arrival + kQuietAfterLoneByte;
    }
    if (!edges_.empty()) {
        return edges_.front() + kByteTime;
    }
    return std::nullopt;
}

std::optional<SlowInitRecogniser::Heard> SlowInitRecogniser::Check(TimePoint now) {
    const std::optional<TimePoint> due = Deadline();
    if (!due || now < *due) {
        return std::nullopt;
    }
    std::optional<Heard> heard;
    if (lone_) {
        heard = Heard{lone_->byte, lone_->arrival};
    } else {
        heard = Match();
    }
    lone_.reset();
    edges_.clear();
    return heard;
}

std::optional<SlowInitRecogniser::Heard> SlowInitRecogniser::Match() const {
    for (const std::uint8_t address : addresses_) {
        const std::vector<int> expected = FiveBaudFallingEdgesMs(address);
        if (expected.size() != edges_.size()) {
            continue;
        }
        bool fits = true;
        for (std::size_t i = 1; i < expected.size() && fits; ++i) {
            const auto offset = edges_[i] - edges_.front() - std::chrono::milliseconds(expected[i]);
            fits = offset <= kEdgeTolerance && -offset <= kEdgeTolerance;
        }
        if (fits) {
            return Heard{address, edges_.front() + kByteTime};
        }
    }
    return std::nullopt;
}

void SlowInitRecogniser::Reset() {
    lastByte_.reset();
    edges_.clear();
    lone_.reset();
}
