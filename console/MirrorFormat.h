#pragma once

#include <QLocale>
#include <QString>
#include <optional>

#include "emulator/EcuEnvironment.h"

// How the console writes engine values into the hidden mirror fields and reads them back:
// integers plain (halves to even), decimals in the user's locale with group separators.
class MirrorFormat {
public:
    explicit MirrorFormat(QLocale locale = QLocale());

    QString IntegerText(double value) const;
    QString DecimalText(double value, int decimals) const;
    // IntegerText without decimals, DecimalText with them.
    QString ValueText(double value, int decimals) const;

    std::optional<long long> ParseInteger(const QString& text) const;
    std::optional<double> ParseDecimal(const QString& text) const;

    // The separators as the emulator needs them to parse the same texts.
    NumberFormat ToNumberFormat() const;

    const QLocale& Locale() const { return locale_; }

private:
    QLocale locale_;
};
