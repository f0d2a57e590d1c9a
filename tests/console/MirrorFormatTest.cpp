#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include <cmath>
#include <tuple>

#include "console/MirrorFormat.h"

// The window's mirrors show the Russian case; these are the other locales and the way back.
TEST(MirrorFormat, DecimalTextUsesTheLocaleSeparatorsAndParsesBack) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const std::tuple<QLocale, double, int, QString> rows[] = {
        {QLocale(QLocale::Russian, QLocale::Russia), 2000.0, 1, "2" + QString(QChar(0x00A0)) + "000,0"},
        {us, 2000.0, 1, "2,000.0"},
        {us, 2.05, 2, "2.05"},
    };
    for (const auto& [locale, value, decimals, text] : rows) {
        const MirrorFormat f(locale);
        EXPECT_EQ(f.DecimalText(value, decimals), text) << value;
        ASSERT_TRUE(f.ParseDecimal(text).has_value()) << text.toStdString();
        EXPECT_NEAR(*f.ParseDecimal(text), value, 0.5 * std::pow(10.0, -decimals));
    }
}
