#pragma once

#include <QChar>
#include <QString>

// Picture number formats as the instruments' value windows and scale labels use them:
// "0" a digit always shown, "#" a digit shown when significant, "." the decimal point,
// "," groups of thousands, ";" separates the sections for positive, negative and zero
// values; text before and after the digits (quoted or not) is copied as it stands.
class PictureFormat {
public:
    // Formats with the user locale's decimal and group separators.
    static QString Format(double value, const QString& picture);
    static QString Format(double value, const QString& picture, QChar decimalPoint, QChar groupSeparator);

    // The text that sizes a value window: the longer of the parts around the first ";"
    // (the second on a tie), or the whole picture when it has no ";".
    static QString WidestText(const QString& picture);
};
