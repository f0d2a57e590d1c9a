#include <gtest/gtest.h>

#include <string>

#include "emulator/ConversionError.h"
#include "emulator/MirrorNumber.h"

namespace {

const NumberFormat kRussian{",", "\u00A0"};
const NumberFormat kEnglish{".", ","};

TEST(MirrorNumber, IntegersArePlainDecimalWithOptionalSign) {
    const MirrorNumber number(kRussian);
    const std::pair<const char*, int> good[] = {
        {"0", 0}, {"-40", -40}, {"+7", 7}, {"16500", 16500}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}};
    for (const auto& [text, value] : good) {
        EXPECT_EQ(number.Integer(text), value) << text;
    }
    const char* bad[] = {"", "-", "+", "12a", " 5", "5 ", "1,0", "20.5", "2147483648", "1\u00A0000", "--1", "0x10"};
    for (const char* text : bad) {
        EXPECT_THROW(number.Integer(text), ConversionError) << text;
    }
}

TEST(MirrorNumber, DecimalsFollowTheLocaleSeparators) {
    struct Case {
        NumberFormat format;
        const char* text;
        double value;
    };
    const Case good[] = {
        {kRussian, "13,0", 13.0},
        {kRussian, "2\u00A0000,0", 2000.0},  // Russian grouping with a no-break space
        {kRussian, "1\u00A0234\u00A0567,89", 1234567.89},
        {kRussian, "-0,5", -0.5},
        {kRussian, "7", 7.0},
        {kEnglish, "1,234.5", 1234.5},
        {kEnglish, "2.05", 2.05},
        {NumberFormat{".", "'"}, "12'345.6", 12345.6},
    };
    for (const Case& c : good) {
        EXPECT_DOUBLE_EQ(MirrorNumber(c.format).Float(c.text), c.value) << c.text;
    }
    const std::string huge(400, '9');  // beyond any double
    const Case bad[] = {
        {kRussian, "13.0", 0},            // the other locale's decimal point
        {kRussian, "", 0},
        {kRussian, ",", 0},
        {kRussian, "1,2,3", 0},           // two decimal separators
        {kRussian, "\u00A0000,0", 0},     // group separator before any digit
        {kRussian, "1\u00A0,5", 0},       // group separator not followed by a digit
        {kRussian, "1,000\u00A00", 0},    // grouping in the decimals
        {kRussian, "1e5", 0},
        {kRussian, "inf", 0},
        {kRussian, "nan", 0},
        {kRussian, " 5", 0},
        {kEnglish, "5.0 V", 0},
        {kEnglish, huge.c_str(), 0},
    };
    for (const Case& c : bad) {
        EXPECT_THROW(MirrorNumber(c.format).Float(c.text), ConversionError) << c.text;
    }
}

TEST(MirrorNumber, ErrorsNameTheTextAndTheKindOfValue) {
    const MirrorNumber number(kEnglish);
    auto message = [](auto convert) {
        try {
            convert();
        } catch (const ConversionError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { number.Integer("12a"); }), "'12a' is not a valid integer value");
    EXPECT_EQ(message([&] { number.Float("abc"); }), "'abc' is not a valid floating point value");
}

}  // namespace
