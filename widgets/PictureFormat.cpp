#include "widgets/PictureFormat.h"

#include <QLocale>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <string>

namespace {

// Splits at ";" outside quoted text.
QStringList Sections(const QString& picture) {
    QStringList sections;
    QString current;
    QChar quote;
    for (QChar c : picture) {
        if (!quote.isNull()) {
            if (c == quote) {
                quote = QChar();
            }
            current += c;
        } else if (c == u'\'' || c == u'"') {
            quote = c;
            current += c;
        } else if (c == u';') {
            sections << current;
            current.clear();
        } else {
            current += c;
        }
    }
    sections << current;
    return sections;
}

bool IsPlaceholder(QChar c) {
    return c == u'0' || c == u'#' || c == u'.' || c == u',';
}

// One section taken apart: literal text around the digits and the digit layout.
struct Layout {
    QString prefix;
    QString suffix;
    int minInteger = 0;
    int minFraction = 0;
    int maxFraction = 0;
    bool grouping = false;
    bool hasDigits = false;
};

void AppendLiteral(QString& out, const QString& text, int& i) {
    const QChar c = text[i];
    if (c == u'\'' || c == u'"') {
        int end = text.indexOf(c, i + 1);
        if (end < 0) {
            end = text.size();
        }
        out += text.mid(i + 1, end - i - 1);
        i = end;
    } else {
        out += c;
    }
}

Layout Parse(const QString& section) {
    Layout layout;
    bool inFraction = false;
    bool afterDigits = false;
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (!afterDigits && IsPlaceholder(c)) {
            layout.hasDigits = true;
            if (c == u'.') {
                inFraction = true;
            } else if (c == u',') {
                layout.grouping = layout.grouping || !inFraction;
            } else if (inFraction) {
                ++layout.maxFraction;
                if (c == u'0') {
                    layout.minFraction = layout.maxFraction;
                }
            } else if (c == u'0') {
                ++layout.minInteger;
            }
            continue;
        }
        if (layout.hasDigits) {
            afterDigits = true;
            AppendLiteral(layout.suffix, section, i);
        } else {
            AppendLiteral(layout.prefix, section, i);
        }
    }
    return layout;
}

// Digits of |value| with the given decimals, rounded exactly (ties to even on the binary value).
std::string FixedDigits(double magnitude, int decimals) {
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        return {};
    }
    return std::string(buffer, result.ptr);
}

QString Group(const QString& digits, QChar separator) {
    QString out;
    const int n = digits.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) {
            out += separator;
        }
        out += digits[i];
    }
    return out;
}

QString Apply(const Layout& layout, double magnitude, QChar decimalPoint, QChar groupSeparator) {
    const std::string fixed = FixedDigits(magnitude, layout.maxFraction);
    const auto point = fixed.find('.');
    QString integer = QString::fromStdString(fixed.substr(0, point));
    QString fraction = point == std::string::npos ? QString() : QString::fromStdString(fixed.substr(point + 1));

    while (integer.startsWith(u'0')) {
        integer.remove(0, 1);
    }
    while (integer.size() < layout.minInteger) {
        integer.prepend(u'0');
    }
    while (fraction.size() > layout.minFraction && fraction.endsWith(u'0')) {
        fraction.chop(1);
    }
    if (layout.grouping) {
        integer = Group(integer, groupSeparator);
    }
    QString number = integer;
    if (!fraction.isEmpty()) {
        number += decimalPoint;
        number += fraction;
    }
    return layout.prefix + number + layout.suffix;
}

bool RoundsToZero(double value, const Layout& layout) {
    const std::string fixed = FixedDigits(std::fabs(value), layout.maxFraction);
    return fixed.find_first_not_of("0.") == std::string::npos;
}

}  // namespace

QString PictureFormat::Format(double value, const QString& picture) {
    const QLocale locale;
    const QString point = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    return Format(value, picture, point.isEmpty() ? QChar(u'.') : point[0],
                  group.isEmpty() ? QChar(u' ') : group[0]);
}

QString PictureFormat::Format(double value, const QString& picture, QChar decimalPoint, QChar groupSeparator) {
    if (!std::isfinite(value)) {
        return {};
    }
    const QStringList sections = Sections(picture);
    const Layout positive = Parse(sections[0]);
    if (!positive.hasDigits && sections.size() == 1) {
        // No digit placeholders at all: the plain number.
        return positive.prefix + QString::number(value).replace(u'.', decimalPoint) + positive.suffix;
    }
    if (RoundsToZero(value, positive)) {
        if (sections.size() >= 3 && !sections[2].isEmpty()) {
            const Layout zero = Parse(sections[2]);
            return zero.hasDigits ? Apply(zero, 0.0, decimalPoint, groupSeparator) : zero.prefix;
        }
        return Apply(positive, 0.0, decimalPoint, groupSeparator);
    }
    if (value < 0) {
        if (sections.size() >= 2 && !sections[1].isEmpty()) {
            const Layout negative = Parse(sections[1]);
            return negative.hasDigits ? Apply(negative, -value, decimalPoint, groupSeparator) : negative.prefix;
        }
        return QStringLiteral("-") + Apply(positive, -value, decimalPoint, groupSeparator);
    }
    return Apply(positive, value, decimalPoint, groupSeparator);
}

QString PictureFormat::WidestText(const QString& picture) {
    const int separator = picture.indexOf(u';');
    if (separator < 0) {
        return picture;
    }
    const QString first = picture.left(separator);
    const QString second = picture.mid(separator + 1);
    return first.size() > second.size() ? first : second;
}
