#pragma once

#include <cstdint>
#include <vector>

// The write thread's output queue: a byte block of fixed capacity. Not locked by itself;
// the port's write lock guards it.
class TSerCommBuffer {
public:
    explicit TSerCommBuffer(int capacity) : bytes_(static_cast<std::size_t>(capacity)) {}

    int Capacity() const { return static_cast<int>(bytes_.size()); }
    int Count() const { return count_; }
    int Room() const { return Capacity() - count_; }
    const std::uint8_t* Data() const { return bytes_.data(); }

    // False (and nothing stored) when the bytes do not fit.
    bool Append(const void* data, int count);
    // Drops count bytes from the front (all, when fewer are held).
    void Remove(int count);
    void Clear() { count_ = 0; }

private:
    std::vector<std::uint8_t> bytes_;
    int count_ = 0;
};
