#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/Windows1251.h"

using Bytes = std::vector<std::uint8_t>;

TEST(Windows1251, OneBytePerCharacterAndQuestionMarksForTheRest) {
    const std::pair<std::string, Bytes> cases[] = {
        {"", {}},
        {"АЯая", {0xC0, 0xDF, 0xE0, 0xFF}},                 // the alphabet runs C0..FF
        {"Ёё", {0xA8, 0xB8}}, {"ЎўЄєІіЇїҐґ", {0xA1, 0xA2, 0xAA, 0xBA, 0xB2, 0xB3, 0xAF, 0xBF, 0xA5, 0xB4}},
        {"№«»€—\u00A0", {0xB9, 0xAB, 0xBB, 0x88, 0x97, 0xA0}},
        {"日本", {0x3F, 0x3F}},                            // not in the code page
        {"a\U0001F600b", {0x61, 0x3F, 0x62}},              // four-byte sequence, one character
        {"\x80z", {0x3F, 0x7A}},                           // stray continuation byte
        {"x\xD0", {0x78, 0x3F}},                           // sequence cut off at the end
        {"\xD0z", {0x3F, 0x7A}},                           // lead byte without continuation
        {"\xC0\xAF", {0x3F, 0x3F}},                        // overlong "/"
        {"\xED\xA0\x80", {0x3F, 0x3F, 0x3F}},              // surrogate half
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(ToWindows1251(text), bytes) << text;
    }
}
