#include "common/HexDigit.h"

#include <gtest/gtest.h>

namespace {

TEST(HexDigitTest, EitherCaseAndNothingAroundTheRanges) {
    struct Row { char c; int value; } rows[] = {
        {'0', 0}, {'9', 9}, {'A', 10}, {'F', 15}, {'a', 10}, {'f', 15},
        {'/', -1}, {':', -1}, {'@', -1}, {'G', -1}, {'`', -1}, {'g', -1}, {' ', -1}, {'\0', -1},
    };
    for (const Row& row : rows) EXPECT_EQ(HexDigitValue(row.c), row.value) << "'" << row.c << "'";
}

}  // namespace
