#include "common/HexText.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(HexTextTest, PairsSeparatedByBlanks) {
    struct Row { Bytes bytes; const char* text; } rows[] = {
        {{}, ""},
        {{0x0A, 0xA0}, "0A A0"},  // high digit first
        {{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}, "01 23 45 67 89 AB CD EF"},  // every digit
    };
    for (const Row& row : rows) EXPECT_EQ(HexText(row.bytes), row.text);  // the vector form hands on its data
}

TEST(HexTextTest, AppendPutsABlankBeforeEveryPair) {
    struct Row { const char* prefix; Bytes bytes; const char* line; } rows[] = {
        {"RX", {}, "RX"},
        {"123 TX", {0x83, 0xF1, 0x10}, "123 TX 83 F1 10"},
        {"", {0xC2, 0x0F}, " C2 0F"},
    };
    for (const Row& row : rows) {
        std::string line = row.prefix;
        AppendHexText(line, row.bytes.data(), row.bytes.size());
        EXPECT_EQ(line, row.line);
    }
}

}  // namespace
