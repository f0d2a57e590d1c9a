#include "protocol/FrameAssembler.h"

#include <algorithm>

void FrameAssembler::Accept(const std::uint8_t* chunk, std::size_t n, TimePoint arrival) {
    chunk_ = chunk;
    chunkSize_ = n;
    position_ = 0;
    arrival_ = arrival;
    droppedStale_ = {};
    ignored_ = {};
    chunkNoted_ = false;
    if (splitLength_ > 0 && arrival - lastAdded_ > kStaleAfter) {
        droppedStale_ = {splitBuffer_.data(), splitLength_};
        splitLength_ = 0;
    }
}

void FrameAssembler::Reset() {
    splitLength_ = 0;
    chunkSize_ = 0;
    position_ = 0;
}

std::optional<FrameView> FrameAssembler::NextFrame() {
    while (position_ < chunkSize_) {
        const auto frame = splitLength_ > 0 ? ContinueSplit() : StartFrame();
        if (frame) {
            return frame;
        }
    }
    return std::nullopt;
}

std::optional<FrameView> FrameAssembler::StartFrame() {
    const std::uint8_t* start = chunk_ + position_;
    const std::size_t left = chunkSize_ - position_;
    const FrameSize size = ExpectedFrameSize(start, left, acceptFunctional_);
    if (size.status == FrameSize::Status::NotServed) {
        ignored_ = {start, left};
        position_ = chunkSize_;
        return std::nullopt;
    }
    if (size.status == FrameSize::Status::Known && size.bytes <= left) {
        position_ += size.bytes;
        lastFrame_ = {start, size.bytes};
        lastArrival_ = {arrival_, arrival_, {}, {}};
        return DecodeFrame(start);
    }
    // The frame goes on in a later chunk: its first bytes wait in the split buffer.
    return ContinueSplit();
}

std::optional<FrameView> FrameAssembler::ContinueSplit() {
    // Until the header is whole, `bytes` says how much of it is needed; then the frame's size.
    const FrameSize size = ExpectedFrameSize(splitBuffer_.data(), splitLength_, acceptFunctional_);
    if (size.status == FrameSize::Status::NotServed) {
        splitLength_ = 0;
        position_ = chunkSize_;
        return std::nullopt;
    }
    const std::size_t take = std::min(size.bytes - splitLength_, chunkSize_ - position_);
    std::copy_n(chunk_ + position_, take, splitBuffer_.begin() + static_cast<std::ptrdiff_t>(splitLength_));
    NoteAdded();
    splitLength_ += take;
    position_ += take;
    lastAdded_ = arrival_;
    if (size.status == FrameSize::Status::Known && splitLength_ == size.bytes) {
        lastFrame_ = {splitBuffer_.data(), splitLength_};
        lastArrival_ = splitArrival_;
        if (lastArrival_.minGap == FrameArrival::Duration::max()) lastArrival_.minGap = {};
        splitLength_ = 0;
        return DecodeFrame(splitBuffer_.data());
    }
    return std::nullopt;
}

void FrameAssembler::NoteAdded() {
    FrameArrival& a = splitArrival_;
    if (splitLength_ == 0) {
        a = {arrival_, arrival_, FrameArrival::Duration::max(), {}};
    } else if (!chunkNoted_) {  // the gap before this chunk; within it there is none to see
        const auto gap = arrival_ - a.last;
        a.minGap = std::min(a.minGap, gap);
        a.maxGap = std::max(a.maxGap, gap);
        a.last = arrival_;
    }
    chunkNoted_ = true;
}
