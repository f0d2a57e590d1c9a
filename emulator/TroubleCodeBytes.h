#pragma once

#include <array>
#include <cstdint>
#include <string>

// The two code bytes of a trouble-code list item: its first four characters read as hex
// digits, "0102" giving 01 02. Throws ConversionError when they are not four hex digits.
std::array<std::uint8_t, 2> TroubleCodeBytes(const std::string& item);
