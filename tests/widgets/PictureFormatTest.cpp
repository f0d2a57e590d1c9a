#include "widgets/PictureFormat.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <ostream>
#include <cmath>
#include <limits>

namespace {

struct FormatCase {
    double value;
    const char* picture;
    const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.value << " as " << c.picture;
}

class PictureFormatCases : public ::testing::TestWithParam<FormatCase> {};

TEST_P(PictureFormatCases, WritesTheValueByThePicture) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(PictureFormat::Format(c.value, QString::fromUtf8(c.picture), u'.', u' ').toStdString(), c.expected)
        << c.value << " with " << c.picture;
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PictureFormatCases,
    ::testing::Values(
        // The console's own formats.
        FormatCase{1.5, "#####0.000", "1.500"}, FormatCase{1234.5678f, "#####0.000", "1234.568"},
        FormatCase{0.0, "##0.0", "0.0"}, FormatCase{11.3976, "##0.0", "11.4"}, FormatCase{62.5, "##0.00", "62.50"},
        FormatCase{3400, "####0", "3400"}, FormatCase{0.4, "##0", "0"},
        // Rounding of exact halves goes to the even neighbour, as the mirrors do.
        FormatCase{2.5, "##0", "2"}, FormatCase{3.5, "##0", "4"}, FormatCase{0.25, "0.0", "0.2"},
        // "0" always shows, "#" only when significant.
        FormatCase{5, "000", "005"}, FormatCase{0.5, "#.##", ".5"}, FormatCase{12.3, "0.0##", "12.3"},
        FormatCase{12.34567, "0.0##", "12.346"},
        // Signs and sections: positive;negative;zero.
        FormatCase{-3.25, "##0.0", "-3.2"}, FormatCase{-0.04, "##0.0", "0.0"},
        FormatCase{-7, "0;(0)", "(7)"}, FormatCase{0.01, "0.0;-0.0;zero", "zero"}, FormatCase{-2, "0;;z", "-2"},
        // Thousands groups and literal text around the digits.
        FormatCase{2000, "#,##0.0", "2 000.0"}, FormatCase{1234567, "#,##0", "1 234 567"},
        FormatCase{42, "'U='0' V'", "U=42 V"}, FormatCase{7, "0 km", "7 km"},
        // Values far beyond a window still come out whole.
        FormatCase{1e12, "##0", "1000000000000"}));

TEST(PictureFormat, NonFiniteValuesGiveNoText) {
    EXPECT_TRUE(PictureFormat::Format(std::nan(""), "##0.0", u'.', u' ').isEmpty());
    EXPECT_TRUE(PictureFormat::Format(std::numeric_limits<double>::infinity(), "##0", u'.', u' ').isEmpty());
}

TEST(PictureFormat, UsesTheUserLocaleSeparators) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString text = PictureFormat::Format(2000.5, "#,##0.000");
    QLocale::setDefault(saved);
    // 2 000,500 with the Russian group and decimal separators.
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    EXPECT_EQ(text, QStringLiteral("2") + ru.groupSeparator() + QStringLiteral("000") + ru.decimalPoint() +
                        QStringLiteral("500"));
}

TEST(PictureFormat, WidestTextIsTheLongerSectionSecondOnATie) {
    EXPECT_EQ(PictureFormat::WidestText("##0.0"), "##0.0");
    EXPECT_EQ(PictureFormat::WidestText("0.000;-0.0"), "0.000");
    EXPECT_EQ(PictureFormat::WidestText("0.0;(0.00)"), "(0.00)");
    EXPECT_EQ(PictureFormat::WidestText("0.0;-0.0"), "-0.0");
}

}  // namespace
