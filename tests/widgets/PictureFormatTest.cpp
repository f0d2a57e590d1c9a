#include "widgets/PictureFormat.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

TEST(PictureFormat, WritesTheValueByThePicture) {
    struct Row { double value; const char* picture; const char* expected; } rows[] = {
        // The console's own formats.
        {1.5, "#####0.000", "1.500"}, {1234.5678f, "#####0.000", "1234.568"}, {0.0, "##0.0", "0.0"},
        {11.3976, "##0.0", "11.4"}, {62.5, "##0.00", "62.50"}, {3400, "####0", "3400"}, {0.4, "##0", "0"},
        // Rounding of exact halves goes to the even neighbour, as the mirrors do.
        {2.5, "##0", "2"}, {3.5, "##0", "4"}, {0.25, "0.0", "0.2"},
        // "0" always shows, "#" only when significant.
        {5, "000", "005"}, {0.5, "#.##", ".5"}, {12.3, "0.0##", "12.3"}, {12.34567, "0.0##", "12.346"},
        // Signs and sections: positive;negative;zero.
        {-3.25, "##0.0", "-3.2"}, {-0.04, "##0.0", "0.0"}, {-7, "0;(0)", "(7)"}, {0.01, "0.0;-0.0;zero", "zero"},
        {-2, "0;;z", "-2"},
        // Thousands groups and literal text around the digits.
        {2000, "#,##0.0", "2 000.0"}, {1234567, "#,##0", "1 234 567"}, {42, "'U='0' V'", "U=42 V"},
        {7, "0 km", "7 km"},
        // Values far beyond a window still come out whole; values that are no number give no text.
        {1e12, "##0", "1000000000000"}, {std::nan(""), "##0.0", ""},
        {std::numeric_limits<double>::infinity(), "##0", ""},
    };
    for (const Row& c : rows) {
        EXPECT_EQ(PictureFormat::Format(c.value, QString::fromUtf8(c.picture), u'.', u' ').toStdString(), c.expected)
            << c.value << " with " << c.picture;
    }
}

TEST(PictureFormat, UsesTheUserLocaleSeparators) {
    const QLocale saved, ru(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(ru);
    const QString text = PictureFormat::Format(2000.5, "#,##0.000");
    QLocale::setDefault(saved);
    // 2 000,500 with the Russian group and decimal separators.
    EXPECT_EQ(text, QString("2_000.500").replace('_', ru.groupSeparator()).replace('.', ru.decimalPoint()));
}

TEST(PictureFormat, WidestTextIsTheLongerSectionSecondOnATie) {
    EXPECT_EQ(PictureFormat::WidestText("##0.0"), "##0.0");
    EXPECT_EQ(PictureFormat::WidestText("0.000;-0.0"), "0.000");
    EXPECT_EQ(PictureFormat::WidestText("0.0;(0.00)"), "(0.00)");
    EXPECT_EQ(PictureFormat::WidestText("0.0;-0.0"), "-0.0");
}

}  // namespace
