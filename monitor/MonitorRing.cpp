#include "monitor/MonitorRing.h"

#include <algorithm>
#include <utility>

MonitorRing::MonitorRing(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void MonitorRing::Append(MonitorRow row) {
    const std::size_t slot = static_cast<std::size_t>(next_ % capacity_);
    if (rows_.size() < capacity_) {
        rows_.push_back(std::move(row));
    } else {
        rows_[slot] = std::move(row);
    }
    ++next_;
    size_ = std::min(size_ + 1, capacity_);
}

void MonitorRing::Clear() {
    // The numbers go on, from the start of a fresh lap so that the slots line up again: a
    // reader that saw rows before the clear sees none of them again.
    rows_.clear();
    size_ = 0;
    next_ += capacity_ - next_ % capacity_;
}

const MonitorRow& MonitorRing::At(std::uint64_t number) const {
    return rows_[static_cast<std::size_t>(number % capacity_)];
}
