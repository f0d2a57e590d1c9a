#include "widgets/AnalogValueModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

AnalogValueModel::AnalogValueModel() {
    settings_.SetOnChange([this] {
        FollowSettings();
        if (onSettingsChange_) {
            onSettingsChange_();
        }
    });
}

float AnalogValueModel::Clamped(float value) const {
    if (value > settings_.ValueTo()) {
        value = settings_.ValueTo();
    }
    if (value < settings_.ValueFrom()) {
        value = settings_.ValueFrom();
    }
    return value;
}

long long AnalogValueModel::DigitOf(float value) const {
    const double position = (static_cast<double>(value) - settings_.ValueFrom()) * settings_.DigitsPerUnit() +
                            settings_.DigitalFrom();
    // The processor's default rounding: to the nearest, halves to the even neighbour.
    const double limit = static_cast<double>(std::numeric_limits<int>::max());
    return std::llrint(std::clamp(position, -limit, limit));
}

bool AnalogValueModel::SetValue(float value) {
    if (value == value_ || !std::isfinite(value)) {
        return false;
    }
    value_ = Clamped(value);
    return SetDigit(DigitOf(value_));
}

bool AnalogValueModel::SetDigit(long long digit) {
    const long long from = settings_.DigitalFrom();
    const long long to = std::max(from, static_cast<long long>(settings_.DigitalTo()));
    digit = std::clamp(digit, from, to);
    if (digit == digit_) {
        return false;
    }
    digit_ = static_cast<int>(digit);
    value_ = static_cast<float>(static_cast<double>(digit_ - from) * settings_.UnitsPerDigit() + settings_.ValueFrom());
    return true;
}

bool AnalogValueModel::OperatorDigit(long long digit) {
    const bool moved = SetDigit(digit);
    changedSinceRelease_ = changedSinceRelease_ || moved;
    return moved;
}

bool AnalogValueModel::StepDigit(long long delta) {
    return OperatorDigit(static_cast<long long>(digit_) + delta);
}

bool AnalogValueModel::FinishChange() {
    const bool due = changedSinceRelease_;
    changedSinceRelease_ = false;
    return due;
}

void AnalogValueModel::FollowSettings() {
    value_ = Clamped(value_);
    const long long from = settings_.DigitalFrom();
    const long long to = std::max(from, static_cast<long long>(settings_.DigitalTo()));
    digit_ = static_cast<int>(std::clamp(DigitOf(value_), from, to));
}
