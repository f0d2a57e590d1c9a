#include "serial/TSerCommBuffer.h"

#include <cstring>

bool TSerCommBuffer::Append(const void* data, int count) {
    if (count < 0 || count > Room()) return false;
    if (count > 0) std::memcpy(bytes_.data() + count_, data, static_cast<std::size_t>(count));
    count_ += count;
    return true;
}

void TSerCommBuffer::Remove(int count) {
    if (count <= 0) return;
    if (count >= count_) {
        count_ = 0;
        return;
    }
    std::memmove(bytes_.data(), bytes_.data() + count, static_cast<std::size_t>(count_ - count));
    count_ -= count;
}
