#include "protocol/KwpFrame.h"

#include <cstring>

#include "common/HexDigit.h"

namespace {

constexpr std::uint8_t kLengthByteFormat = 0x80;
constexpr std::uint8_t kLastShortFormat = 0xBF;
constexpr std::uint8_t kFunctionalFormat = 0xC0;
constexpr std::uint8_t kLengthBits = 0x3F;
constexpr std::size_t kMaxShortData = 63;

bool UsesLengthByte(std::size_t n, FrameForm form) {
    switch (form) {
        case FrameForm::Long:
            return true;
        case FrameForm::BySize:
            return n >= kMaxShortData;
        case FrameForm::Short:
            break;
    }
    return n > kMaxShortData;
}

}  // namespace

std::uint8_t FrameChecksum(const std::uint8_t* bytes, std::size_t n) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sum += bytes[i];
    }
    return static_cast<std::uint8_t>(sum);
}

std::size_t FrameInto(std::uint8_t* out, std::size_t capacity, std::uint8_t target, std::uint8_t source,
                      const std::uint8_t* data, std::size_t n, FrameForm form) {
    if (n > kMaxFrameData) {
        return 0;
    }
    const bool lengthByte = UsesLengthByte(n, form);
    const std::size_t header = lengthByte ? 4 : 3;
    const std::size_t size = header + n + 1;
    if (size > capacity) {
        return 0;
    }
    out[0] = static_cast<std::uint8_t>(lengthByte ? kLengthByteFormat : kLengthByteFormat + n);
    out[1] = target;
    out[2] = source;
    if (lengthByte) {
        out[3] = static_cast<std::uint8_t>(n);
    }
    if (n > 0) {
        std::memcpy(out + header, data, n);
    }
    out[header + n] = FrameChecksum(out, header + n);
    return size;
}

std::vector<std::uint8_t> BuildFrame(std::uint8_t target, std::uint8_t source, const std::uint8_t* data,
                                     std::size_t n, FrameForm form) {
    std::vector<std::uint8_t> frame(kMaxFrameSize);
    frame.resize(FrameInto(frame.data(), frame.size(), target, source, data, n, form));
    return frame;
}

std::vector<std::uint8_t> BuildFunctionalFrame(std::uint8_t target, std::uint8_t source, const std::uint8_t* data,
                                               std::size_t n) {
    std::vector<std::uint8_t> frame = BuildFrame(target, source, data, n, FrameForm::Short);
    if (!frame.empty()) {
        frame[0] |= kFunctionalFormat;
        frame.back() = FrameChecksum(frame.data(), frame.size() - 1);
    }
    return frame;
}

std::optional<std::vector<std::uint8_t>> ParseHexPayload(std::string_view text, std::string* badPair) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    char pair[2];
    std::size_t held = 0;
    for (const char c : text) {
        if (c == ' ') {
            continue;
        }
        pair[held++] = c;
        if (held < 2) {
            continue;
        }
        held = 0;
        const int high = HexDigitValue(pair[0]);
        const int low = HexDigitValue(pair[1]);
        if (high < 0 || low < 0) {
            if (badPair != nullptr) {
                badPair->assign(pair, 2);
            }
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

FrameSize ExpectedFrameSize(const std::uint8_t* header, std::size_t available, bool acceptFunctional) {
    if (available == 0) {
        return {FrameSize::Status::NeedMore, 1};
    }
    const std::uint8_t format = header[0];
    const bool physical = format >= kLengthByteFormat && format <= kLastShortFormat;
    const bool functional = format >= kFunctionalFormat;
    if (!physical && !(functional && acceptFunctional)) {
        return {FrameSize::Status::NotServed, 0};
    }
    // Both families: the length in the low six bits, or a length byte when they are 0.
    if ((format & kLengthBits) != 0) {
        return {FrameSize::Status::Known, static_cast<std::size_t>(format & kLengthBits) + 4};
    }
    if (available < 4) {
        return {FrameSize::Status::NeedMore, 4};
    }
    return {FrameSize::Status::Known, static_cast<std::size_t>(header[3]) + 5};
}

FrameView DecodeFrame(const std::uint8_t* frame) {
    const bool functional = frame[0] >= kFunctionalFormat;
    const std::size_t length = frame[0] & kLengthBits;
    if (length == 0) {
        return {frame[1], frame[2], frame + 4, frame[3], functional};
    }
    return {frame[1], frame[2], frame + 3, length, functional};
}
