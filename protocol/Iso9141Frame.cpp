#include "protocol/Iso9141Frame.h"

#include <algorithm>

#include "protocol/KwpFrame.h"

namespace {

std::size_t FrameWithHeader(std::uint8_t* out, std::size_t capacity, const std::array<std::uint8_t, 3>& header,
                            const std::uint8_t* data, std::size_t n) {
    const std::size_t size = kIso9141HeaderSize + n + 1;
    if (n == 0 || n > kIso9141MaxData || size > capacity) {
        return 0;
    }
    std::copy(header.begin(), header.end(), out);
    std::copy_n(data, n, out + kIso9141HeaderSize);
    out[size - 1] = FrameChecksum(out, size - 1);
    return size;
}

}  // namespace

std::size_t Iso9141ReplyInto(std::uint8_t* out, std::size_t capacity, std::uint8_t source,
                             const std::uint8_t* data, std::size_t n) {
    return FrameWithHeader(out, capacity, {kIso9141ReplyPriority, kIso9141ReplyTarget, source}, data, n);
}

std::vector<std::uint8_t> BuildIso9141Request(const std::uint8_t* data, std::size_t n) {
    std::vector<std::uint8_t> frame(kIso9141MaxFrame);
    frame.resize(FrameWithHeader(frame.data(), frame.size(), kIso9141RequestHeader, data, n));
    return frame;
}

bool Iso9141FrameCloses(const std::uint8_t* bytes, std::size_t n) {
    return n > kIso9141HeaderSize + 1 && n <= kIso9141MaxFrame && FrameChecksum(bytes, n - 1) == bytes[n - 1];
}
