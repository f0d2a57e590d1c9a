#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "common/HexDigit.h"
#include "common/HexText.h"

// Bytes spelt as hex pairs with one blank between them, "83 F1 10 C1", as the tables write frames.
inline std::vector<std::uint8_t> Hex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(text.empty() || text.size() % 3 == 2) << text;
    for (std::size_t i = 0; i + 1 < text.size(); i += 3) {
        const int high = HexDigitValue(text[i]), low = HexDigitValue(text[i + 1]);
        EXPECT_TRUE(high >= 0 && low >= 0 && (i + 2 == text.size() || text[i + 2] == ' ')) << text;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

// Several frames as one text, split by " | ", so a table row states them in a line.
inline std::string HexFrames(const std::vector<std::vector<std::uint8_t>>& frames) {
    std::string text;
    for (const auto& frame : frames) text += (&frame == frames.data() ? "" : " | ") + HexText(frame);
    return text;
}
