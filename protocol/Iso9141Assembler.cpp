#include "protocol/Iso9141Assembler.h"

#include <algorithm>

#include "protocol/Iso9141Frame.h"

bool Iso9141Assembler::Closes() const {
    return Iso9141FrameCloses(frame_.bytes.data(), frame_.bytes.size());
}

void Iso9141Assembler::Accept(const std::uint8_t* bytes, std::size_t n, TimePoint arrival) {
    ignored_.clear();
    dropped_.clear();
    if (n == 0) {
        return;
    }
    FrameArrival& a = frame_.arrival;
    if (!frame_.bytes.empty() && arrival - a.last > kStaleAfter) {
        dropped_.swap(frame_.bytes);
        frame_.bytes.clear();
    }
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t byte = bytes[i];
        if (frame_.bytes.empty()) {
            if (byte != kIso9141RequestHeader[0]) {
                ignored_.push_back(byte);
                continue;
            }
            a = {arrival, arrival, FrameArrival::Duration::max(), {}};
        } else {
            const auto gap = arrival - a.last;
            a.minGap = std::min(a.minGap, gap);
            a.maxGap = std::max(a.maxGap, gap);
            a.last = arrival;
        }
        frame_.bytes.push_back(byte);
        if (frame_.bytes.size() > kIso9141MaxFrame) {
            dropped_.insert(dropped_.end(), frame_.bytes.begin(), frame_.bytes.end());
            frame_.bytes.clear();
        }
    }
}

std::optional<Iso9141Assembler::TimePoint> Iso9141Assembler::Deadline() const {
    // A start that does not close waits for the next byte, which drops it when stale.
    if (!Closes()) {
        return std::nullopt;
    }
    // Just past P4max: a byte that comes exactly then still belongs to the request.
    return frame_.arrival.last + kP4Max + std::chrono::milliseconds(1);
}

std::optional<Iso9141Assembler::Frame> Iso9141Assembler::Check(TimePoint now) {
    const std::optional<TimePoint> due = Deadline();
    if (!due || now < *due) {
        return std::nullopt;
    }
    Frame frame = std::move(frame_);
    frame_ = {};
    return frame;
}
