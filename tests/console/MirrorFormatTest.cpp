#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <cmath>

#include "console/Consumption.h"
#include "console/MirrorFormat.h"

TEST(MirrorFormat, IntegerTextRoundsHalvesToEven) {
    const MirrorFormat f(QLocale(QLocale::Russian, QLocale::Russia));
    const std::pair<double, const char*> rows[] = {
        {2.5, "2"}, {3.5, "4"}, {22.5, "22"}, {0.25, "0"}, {-40.0, "-40"}, {11.3976, "11"}, {9999.9, "10000"}};
    for (const auto& [value, text] : rows) {
        EXPECT_EQ(f.IntegerText(value), QString::fromLatin1(text)) << value;
    }
}

TEST(MirrorFormat, DecimalTextUsesTheLocaleSeparatorsAndParsesBack) {
    struct Row {
        QLocale locale;
        double value;
        int decimals;
        QString text;
    };
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QString nbsp(QChar(0x00A0));
    const Row rows[] = {
        {ru, 2000.0, 1, "2" + nbsp + "000,0"},
        {us, 2000.0, 1, "2,000.0"},
        {QLocale::c(), 2000.0, 1, "2,000.0"},
        {ru, 11.3976f, 1, "11,4"},
        {us, 12.9978f, 1, "13.0"},
        {us, 0.68f, 1, "0.7"},
        {us, 2.05, 2, "2.05"},
        {ru, 0.0, 2, "0,00"},
    };
    for (const Row& row : rows) {
        const MirrorFormat f(row.locale);
        const QString text = f.DecimalText(row.value, row.decimals);
        EXPECT_EQ(text, row.text) << row.value;
        ASSERT_TRUE(f.ParseDecimal(text).has_value()) << text.toStdString();
        EXPECT_NEAR(*f.ParseDecimal(text), row.value, 0.5 * std::pow(10.0, -row.decimals));
    }
}

TEST(MirrorFormat, NumberFormatForTheEmulatorMatchesTheTexts) {
    const NumberFormat ru = MirrorFormat(QLocale(QLocale::Russian, QLocale::Russia)).ToNumberFormat();
    EXPECT_EQ(ru.decimalSeparator, ",");
    EXPECT_EQ(ru.groupSeparator, "\xC2\xA0");  // no-break space in UTF-8
    const NumberFormat de = MirrorFormat(QLocale(QLocale::German, QLocale::Germany)).ToNumberFormat();
    EXPECT_EQ(de.decimalSeparator, ",");
    EXPECT_EQ(de.groupSeparator, ".");
}

TEST(Consumption, PerHundredKilometresFromWholeSpeed) {
    struct Row {
        double speed, fuel, expected;
    };
    const Row rows[] = {
        {50, 5.0, 10.0},
        {2, 40, 2000.0},
        {0.25, 40, 0.0},  // rounds to speed 0: no division by zero
        {2.5, 1.0, 50.0},  // 2.5 rounds to 2
        {10, 0.68f, 6.8},
    };
    for (const Row& r : rows) {
        EXPECT_NEAR(ConsumptionPer100Km(r.speed, r.fuel), r.expected, 1e-5) << r.speed << " " << r.fuel;
    }
}
