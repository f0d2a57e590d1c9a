#include "serial/TSerRxQueue.h"

#include <algorithm>
#include <cstring>

void TSerRxQueue::Start(int capacity) {
    std::lock_guard<std::mutex> guard(lock_);
    const auto size = static_cast<std::size_t>(std::max(capacity, 1));
    bytes_.assign(size, 0);
    // Every chunk holds at least one byte, so there are never more chunks than bytes.
    marks_.assign(size, Mark{});
    head_ = count_ = firstMark_ = marksUsed_ = 0;
    error_ = 0;
    filling_ = true;
}

void TSerRxQueue::Stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        filling_ = false;
    }
    arrived_.notify_all();
}

int TSerRxQueue::Room() const {
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(bytes_.size()) - count_;
}

void TSerRxQueue::Push(const std::uint8_t* bytes, int count, TimePoint arrival) {
    if (count <= 0) return;
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        const int capacity = static_cast<int>(bytes_.size());
        const int tail = (head_ + count_) % capacity;
        const int first = std::min(count, capacity - tail);
        std::memcpy(bytes_.data() + tail, bytes, static_cast<std::size_t>(first));
        std::memcpy(bytes_.data(), bytes + first, static_cast<std::size_t>(count - first));
        count_ += count;
        marks_[static_cast<std::size_t>((firstMark_ + marksUsed_) % capacity)] = Mark{count, arrival};
        ++marksUsed_;
        wake = waiting_ > 0;
    }
    if (wake) arrived_.notify_one();
}

void TSerRxQueue::Fail(int error) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        error_ = error;
    }
    arrived_.notify_all();
}

int TSerRxQueue::Count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return count_;
}

int TSerRxQueue::TakeChunk(std::uint8_t* buffer, int count, std::chrono::milliseconds wait, TimePoint& arrival) {
    std::unique_lock<std::mutex> guard(lock_);
    if (count_ == 0 && filling_ && error_ == 0 && wait.count() > 0) {
        ++waiting_;
        arrived_.wait_for(guard, wait, [&] { return count_ > 0 || !filling_ || error_ != 0; });
        --waiting_;
    }
    if (count_ == 0) return filling_ || error_ != 0 ? 0 : -1;
    const int capacity = static_cast<int>(bytes_.size());
    Mark& mark = marks_[static_cast<std::size_t>(firstMark_)];
    const int n = std::min(count, mark.count);
    const int first = std::min(n, capacity - head_);
    std::memcpy(buffer, bytes_.data() + head_, static_cast<std::size_t>(first));
    std::memcpy(buffer + first, bytes_.data(), static_cast<std::size_t>(n - first));
    head_ = (head_ + n) % capacity;
    count_ -= n;
    arrival = mark.arrival;
    mark.count -= n;
    if (mark.count == 0) {
        firstMark_ = (firstMark_ + 1) % capacity;
        --marksUsed_;
    }
    return n;
}

int TSerRxQueue::TakeError() {
    std::lock_guard<std::mutex> guard(lock_);
    const int error = error_;
    error_ = 0;
    return error;
}
