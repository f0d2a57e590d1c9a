#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "monitor/MonitorRow.h"

// The monitor's rows in a bounded ring: the oldest row goes when a new one comes to a full
// ring. Rows are numbered for good from 0, so a reader can tell what it has already seen.
class MonitorRing {
public:
    static constexpr std::size_t kDefaultCapacity = 100000;

    explicit MonitorRing(std::size_t capacity = kDefaultCapacity);

    void Append(MonitorRow row);
    void Clear();

    std::size_t Capacity() const { return capacity_; }
    std::size_t Size() const { return size_; }
    // Numbers of the oldest row held and of the row that will come next.
    std::uint64_t FirstNumber() const { return next_ - size_; }
    std::uint64_t NextNumber() const { return next_; }
    // The row of that number; it must be held (FirstNumber() <= number < NextNumber()).
    const MonitorRow& At(std::uint64_t number) const;

private:
    std::size_t capacity_;
    std::vector<MonitorRow> rows_;
    std::size_t size_ = 0;
    std::uint64_t next_ = 0;
};
