#pragma once

#include "widgets/TMinMax.h"
#include "widgets/TSectorSettings.h"
#include "widgets/TSignalSettings.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

// Lines of a read-out's hint.
enum THintOption {
    hoAutoHint = 1 << 0,
    hoValue = 1 << 1,
    hoName1 = 1 << 2,
    hoName2 = 1 << 3,
    hoMin = 1 << 4,
    hoMax = 1 << 5,
    hoMinMaxDate = 1 << 6,
    hoMinMaxTime = 1 << 7,
};
constexpr int kAllHintOptions = (1 << 8) - 1;

// What one value change of a read-out has to report, in the order it is reported.
struct DisplayChange {
    struct SectorChange {
        int sector;
        bool inside;
    };
    std::vector<SectorChange> sectors;
    bool limitChanged = false;
    bool below = false;
    bool above = false;
    // Thousandths of the scale when an excursion out of 0…1000 begins or ends.
    std::optional<long long> overflow;
    bool minMaxChanged = false;
};

// The value of a display-only instrument: not clamped, so it shows any value, while the
// pointer stops at the scale's ends; reports sectors, limits, one overflow per excursion,
// the minimum and maximum reached, and keeps the hint text.
class DisplayValueModel {
public:
    DisplayValueModel();
    DisplayValueModel(const DisplayValueModel&) = delete;
    DisplayValueModel& operator=(const DisplayValueModel&) = delete;

    TSignalSettings& Settings() { return settings_; }
    const TSignalSettings& Settings() const { return settings_; }
    TSectorSettings& Sectors() { return sectors_; }
    const TSectorSettings& Sectors() const { return sectors_; }
    TMinMax& MinMax() { return minMax_; }
    const TMinMax& MinMax() const { return minMax_; }

    float Value() const { return value_; }
    long long Digit() const { return digit_; }
    float LimitUpper() const { return limitUpper_; }
    float LimitLower() const { return limitLower_; }
    int HintOptions() const { return hintOptions_; }
    void SetLimitUpper(float limit) { limitUpper_ = limit; }
    void SetLimitLower(float limit) { limitLower_ = limit; }
    void SetHintOptions(int options) {
        hintOptions_ = options;
        RebuildHint();
    }

    // Nothing when equal to the current value or not finite; otherwise the value is stored
    // and everything derived from it is worked out again.
    std::optional<DisplayChange> SetValue(float value, const QDateTime& now);
    // Works everything out again for the current value (after a change of the settings).
    DisplayChange Refresh(const QDateTime& now);

    const QString& ValueText() const { return valueText_; }
    QString DigitText() const { return QString::number(digit_); }
    const QString& HintText() const { return hintText_; }
    // Thousandths of the scale for drawing: clamped to 0…1000.
    int DrawPermille() const;
    bool InOverflow() const { return overflow_; }
    bool Below() const { return below_; }
    bool Above() const { return above_; }
    bool InSector(int sector) const;

private:
    long long PermilleOfDigit() const;
    QString HintLine(const QString& label, float value, const QDateTime& when) const;
    void RebuildHint();

    TSignalSettings settings_;
    TSectorSettings sectors_;
    TMinMax minMax_;
    float value_ = 50.0f;
    long long digit_ = 500;
    float limitUpper_ = 90.0f;
    float limitLower_ = 10.0f;
    int hintOptions_ = kAllHintOptions;
    long long permille_ = 500;
    bool inSector_[TSectorSettings::kSectors] = {false, true, false};
    bool below_ = false;
    bool above_ = false;
    bool overflow_ = false;
    QString valueText_;
    QString hintText_;
};
