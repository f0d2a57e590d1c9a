#pragma once

#include "widgets/TSignalSettings.h"

#include <functional>

// The value of a dial or slider: a single-precision value clamped to the range and a
// position on the digit grid, which is the truth for "did it change". The setters return
// true when the grid position moved, which is when the widget reports OnValueChange.
class AnalogValueModel {
public:
    AnalogValueModel();
    AnalogValueModel(const AnalogValueModel&) = delete;
    AnalogValueModel& operator=(const AnalogValueModel&) = delete;

    TSignalSettings& Settings() { return settings_; }
    const TSignalSettings& Settings() const { return settings_; }

    float Value() const { return value_; }
    int Digit() const { return digit_; }

    // Clamps to the range and moves to the nearest grid position (halves to even). A value
    // that rounds to the current position is kept as it is, between grid points, silently.
    // Values that are not finite are refused.
    bool SetValue(float value);
    // Clamps to DigitalFrom…DigitalTo first, so a step against an end changes nothing;
    // then the value snaps to the grid.
    bool SetDigit(long long digit);
    // The same for a change by the operator (keyboard, wheel, mouse), which is reported
    // once more when the key or the button is released.
    bool OperatorDigit(long long digit);
    // Keyboard and wheel steps: the current position plus delta, clamped.
    bool StepDigit(long long delta);

    // A key or the left mouse button was released: true once when the operator moved the
    // position since the last release (OnValueChanged is due).
    bool FinishChange();

    // Runs after the range or texts changed and the value followed them.
    void SetOnSettingsChange(std::function<void()> handler) { onSettingsChange_ = std::move(handler); }

    long long PermillePosition() const { return settings_.PermillePosition(value_); }

private:
    // After a change of the range: keeps the value (clamped to the new range) and places
    // it on the new grid without a notification.
    void FollowSettings();
    float Clamped(float value) const;
    long long DigitOf(float value) const;

    TSignalSettings settings_;
    float value_ = 10.0f;
    int digit_ = 100;
    bool changedSinceRelease_ = false;
    std::function<void()> onSettingsChange_;
};
