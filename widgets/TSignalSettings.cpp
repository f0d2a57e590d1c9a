#include "widgets/TSignalSettings.h"

#include "widgets/PictureFormat.h"

#include <cmath>

TSignalSettings::TSignalSettings() {
    Recompute();
}

void TSignalSettings::SetValueFrom(float value) {
    if (value == valueFrom_ || value == valueTo_ || !std::isfinite(value)) {
        return;
    }
    valueFrom_ = value;
    Changed();
}

void TSignalSettings::SetValueTo(float value) {
    if (value == valueFrom_ || value == valueTo_ || !std::isfinite(value)) {
        return;
    }
    valueTo_ = value;
    Changed();
}

void TSignalSettings::Assign(const TSignalSettings& other) {
    if (&other == this) {
        return;
    }
    SetDigitalFrom(other.digitalFrom_);
    SetDigitalTo(other.digitalTo_);
    SetName1(other.name1_);
    SetName2(other.name2_);
    SetValueFormat(other.valueFormat_);
    // Widen first so that neither end is refused against the other's old place.
    if (other.valueFrom_ < valueFrom_) {
        SetValueFrom(other.valueFrom_);
        SetValueTo(other.valueTo_);
    } else {
        SetValueTo(other.valueTo_);
        SetValueFrom(other.valueFrom_);
    }
    SetValueUnit(other.valueUnit_);
}

void TSignalSettings::Recompute() {
    if (valueTo_ > valueFrom_) {
        valueSpan_ = static_cast<double>(valueTo_) - static_cast<double>(valueFrom_);
    }
    if (digitalTo_ > digitalFrom_) {
        digitalSpan_ = static_cast<long long>(digitalTo_) - digitalFrom_;
    }
    unitsPerDigit_ = valueSpan_ / static_cast<double>(digitalSpan_);
    digitsPerUnit_ = static_cast<double>(digitalSpan_) / valueSpan_;
    thousandthsPerUnit_ = 1000.0 / valueSpan_;
    widestFormatText_ = PictureFormat::WidestText(valueFormat_);
}

long long TSignalSettings::PermillePosition(double value) const {
    const double permille = (value - valueFrom_) * thousandthsPerUnit_;
    // Far outside the range the position only needs to stay far outside.
    if (!(std::fabs(permille) < 1e15)) {
        return permille < 0 ? -1000000000000000LL : 1000000000000000LL;
    }
    return std::llrint(permille);
}

QString TSignalSettings::FormatValue(double value) const {
    return PictureFormat::Format(value, valueFormat_);
}
