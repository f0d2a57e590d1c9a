#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "emulator/ConversionError.h"
#include "emulator/MirrorNumber.h"
#include "support/MessageOf.h"

const NumberFormat kRussian{",", "\u00A0"};
const NumberFormat kEnglish{".", ","};

TEST(MirrorNumber, IntegersArePlainDecimalWithOptionalSign) {
    const MirrorNumber number(kRussian);
    const std::pair<const char*, int> good[] = {
        {"0", 0}, {"-40", -40}, {"+7", 7}, {"16500", 16500}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}};
    for (const auto& [text, value] : good) EXPECT_EQ(number.Integer(text), value) << text;
    const char* bad[] = {"", "-", "+", "12a", " 5", "5 ", "1,0", "20.5", "2147483648", "1\u00A0000", "--1", "0x10"};
    for (const char* text : bad) EXPECT_THROW(number.Integer(text), ConversionError) << text;
}

TEST(MirrorNumber, DecimalsFollowTheLocaleSeparators) {
    const std::string huge(400, '9');  // beyond any double
    const std::tuple<NumberFormat, const char*, std::optional<double>> rows[] = {  // nullopt: does not convert
        // Russian grouping with a no-break space
        {kRussian, "13,0", 13.0}, {kRussian, "2\u00A0000,0", 2000.0}, {kRussian, "-0,5", -0.5}, {kRussian, "7", 7.0},
        {kEnglish, "1,234.5", 1234.5}, {NumberFormat{".", "'"}, "12'345.6", 12345.6},
        {kRussian, "13.0", std::nullopt},  // the other locale's decimal point
        {kRussian, "", std::nullopt}, {kRussian, ",", std::nullopt}, {kRussian, "1,2,3", std::nullopt},
        {kRussian, "\u00A0000,0", std::nullopt},  // group separator before any digit
        {kRussian, "1\u00A0,5", std::nullopt},    // group separator not followed by a digit
        {kRussian, "1,000\u00A00", std::nullopt}, // grouping in the decimals
        {kRussian, "1e5", std::nullopt}, {kEnglish, "5.0 V", std::nullopt}, {kEnglish, huge.c_str(), std::nullopt},
    };
    for (const auto& [format, text, value] : rows) {
        if (value) {
            EXPECT_DOUBLE_EQ(MirrorNumber(format).Float(text), *value) << text;
        } else {
            EXPECT_THROW(MirrorNumber(format).Float(text), ConversionError) << text;
        }
    }
}

TEST(MirrorNumber, ErrorsNameTheTextAndTheKindOfValue) {
    const MirrorNumber number(kEnglish);
    EXPECT_EQ(MessageOf<ConversionError>([&] { number.Integer("12a"); }), "'12a' is not a valid integer value");
    EXPECT_EQ(MessageOf<ConversionError>([&] { number.Float("abc"); }), "'abc' is not a valid floating point value");
}
