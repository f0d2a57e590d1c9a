#include "emulator/MirrorNumber.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "emulator/ConversionError.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool StartsWithAt(const std::string& text, std::size_t pos, const std::string& piece) {
    return !piece.empty() && text.compare(pos, piece.size(), piece) == 0;
}

[[noreturn]] void Refuse(const std::string& text, const char* kind) {
    throw ConversionError("'" + text + "' is not a valid " + kind + " value");
}

}  // namespace

MirrorNumber::MirrorNumber(NumberFormat format) : format_(std::move(format)) {}

int MirrorNumber::Integer(const std::string& text) const {
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        ++pos;
    }
    if (pos == text.size()) {
        Refuse(text, "integer");
    }
    for (std::size_t i = pos; i < text.size(); ++i) {
        if (!IsDigit(text[i])) {
            Refuse(text, "integer");
        }
    }
    // from_chars takes no plus sign; a mirror value beyond 32 bits is refused like any
    // other text that is no integer.
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    int value = 0;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        Refuse(text, "integer");
    }
    return value;
}

double MirrorNumber::Float(const std::string& text) const {
    // Rewrite the locale's text as plain "-123.45" and convert that, so the result does
    // not depend on the process locale.
    std::string plain;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        if (text[pos] == '-') {
            plain += '-';
        }
        ++pos;
    }
    bool seenDecimal = false;
    bool lastWasDigit = false;
    int digits = 0;
    while (pos < text.size()) {
        if (IsDigit(text[pos])) {
            plain += text[pos];
            ++digits;
            lastWasDigit = true;
            ++pos;
        } else if (!seenDecimal && StartsWithAt(text, pos, format_.decimalSeparator)) {
            plain += '.';
            seenDecimal = true;
            lastWasDigit = false;
            pos += format_.decimalSeparator.size();
        } else if (!seenDecimal && lastWasDigit && StartsWithAt(text, pos, format_.groupSeparator) &&
                   pos + format_.groupSeparator.size() < text.size() &&
                   IsDigit(text[pos + format_.groupSeparator.size()])) {
            // A group separator only stands between digits of the whole part.
            pos += format_.groupSeparator.size();
            lastWasDigit = false;
        } else {
            Refuse(text, "floating point");
        }
    }
    if (digits == 0) {
        Refuse(text, "floating point");
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) {
        Refuse(text, "floating point");
    }
    return value;
}
