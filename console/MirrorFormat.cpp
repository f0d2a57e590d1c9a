#include "console/MirrorFormat.h"

#include <utility>

#include "emulator/Rounding.h"

MirrorFormat::MirrorFormat(QLocale locale) : locale_(std::move(locale)) {
    // Group separators are part of the mirror text whatever the locale's default says;
    // the C locale has none to show.
    locale_.setNumberOptions(locale_.numberOptions() & ~QLocale::OmitGroupSeparator);
}

QString MirrorFormat::IntegerText(double value) const {
    return QString::number(RoundHalfEven(value));
}

QString MirrorFormat::DecimalText(double value, int decimals) const {
    return locale_.toString(value, 'f', decimals);
}

QString MirrorFormat::ValueText(double value, int decimals) const {
    return decimals == 0 ? IntegerText(value) : DecimalText(value, decimals);
}

std::optional<long long> MirrorFormat::ParseInteger(const QString& text) const {
    bool ok = false;
    const long long value = text.toLongLong(&ok, 10);
    return ok ? std::optional<long long>(value) : std::nullopt;
}

std::optional<double> MirrorFormat::ParseDecimal(const QString& text) const {
    bool ok = false;
    const double value = locale_.toDouble(text, &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

NumberFormat MirrorFormat::ToNumberFormat() const {
    NumberFormat format;
    format.decimalSeparator = locale_.decimalPoint().toStdString();
    format.groupSeparator = locale_.groupSeparator().toStdString();
    return format;
}
