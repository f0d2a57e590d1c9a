#include "common/HexText.h"

namespace {

void AppendPair(std::string& text, std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
}

}  // namespace

std::string HexText(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    if (count == 0) {
        return text;
    }
    text.reserve(count * 3 - 1);
    AppendPair(text, bytes[0]);
    for (std::size_t i = 1; i < count; ++i) {
        text += ' ';
        AppendPair(text, bytes[i]);
    }
    return text;
}

void AppendHexText(std::string& line, const std::uint8_t* bytes, std::size_t count) {
    line.reserve(line.size() + count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        line += ' ';
        AppendPair(line, bytes[i]);
    }
}
