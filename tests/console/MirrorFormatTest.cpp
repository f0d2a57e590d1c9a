#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include <cmath>

#include "console/MirrorFormat.h"

// The window's mirrors show the Russian case; these are the other locales and the way back.
TEST(MirrorFormat, DecimalTextUsesTheLocaleSeparatorsAndParsesBack) {
    struct Row {
        QLocale locale;
        double value;
        int decimals;
        QString text;
    };
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const Row rows[] = {
        {ru, 2000.0, 1, "2" + QString(QChar(0x00A0)) + "000,0"},
        {us, 2000.0, 1, "2,000.0"},
        {QLocale::c(), 2000.0, 1, "2,000.0"},
        {us, 2.05, 2, "2.05"},
    };
    for (const Row& row : rows) {
        const MirrorFormat f(row.locale);
        const QString text = f.DecimalText(row.value, row.decimals);
        EXPECT_EQ(text, row.text) << row.value;
        ASSERT_TRUE(f.ParseDecimal(text).has_value()) << text.toStdString();
        EXPECT_NEAR(*f.ParseDecimal(text), row.value, 0.5 * std::pow(10.0, -row.decimals));
    }
}
