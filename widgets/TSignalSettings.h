#pragma once

#include "widgets/TUiPersistent.h"

#include <QString>

// The value range of an analog instrument, its captions and its number format, with the
// spans derived from them that map values to the digit grid and to thousandths of the scale.
class TSignalSettings : public TUiPersistent {
public:
    TSignalSettings();

    int DigitalFrom() const { return digitalFrom_; }
    int DigitalTo() const { return digitalTo_; }
    float ValueFrom() const { return valueFrom_; }
    float ValueTo() const { return valueTo_; }
    const QString& Name1() const { return name1_; }
    const QString& Name2() const { return name2_; }
    const QString& ValueUnit() const { return valueUnit_; }
    const QString& ValueFormat() const { return valueFormat_; }

    void SetDigitalFrom(int digit) { Store(digitalFrom_, digit); }
    void SetDigitalTo(int digit) { Store(digitalTo_, digit); }
    // A new end equal to either current end is ignored: the range never collapses.
    void SetValueFrom(float value);
    void SetValueTo(float value);
    void SetName1(const QString& text) { Store(name1_, text); }
    void SetName2(const QString& text) { Store(name2_, text); }
    void SetValueUnit(const QString& text) { Store(valueUnit_, text); }
    void SetValueFormat(const QString& picture) { Store(valueFormat_, picture); }

    // Copies every property through the setters.
    void Assign(const TSignalSettings& other);

    // Derived spans; each keeps its last sound value while its upper end is not above the lower.
    double ValueSpan() const { return valueSpan_; }
    long long DigitalSpan() const { return digitalSpan_; }
    double UnitsPerDigit() const { return unitsPerDigit_; }
    double DigitsPerUnit() const { return digitsPerUnit_; }
    double ThousandthsPerUnit() const { return thousandthsPerUnit_; }
    const QString& WidestFormatText() const { return widestFormatText_; }

    // The value's place on the scale in thousandths (not clamped).
    long long PermillePosition(double value) const;
    // The value formatted with ValueFormat in the user locale.
    QString FormatValue(double value) const;

protected:
    void Recompute() override;

private:
    int digitalFrom_ = 0;
    int digitalTo_ = 1000;
    float valueFrom_ = 0.0f;
    float valueTo_ = 100.0f;
    QString name1_ = QStringLiteral("SignalName1");
    QString name2_ = QStringLiteral("SignalName2");
    QString valueUnit_ = QStringLiteral("%");
    QString valueFormat_ = QStringLiteral("##0.0");

    double valueSpan_ = 100.0;
    long long digitalSpan_ = 1000;
    double unitsPerDigit_ = 0.1;
    double digitsPerUnit_ = 10.0;
    double thousandthsPerUnit_ = 10.0;
    QString widestFormatText_;
};
