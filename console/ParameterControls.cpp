#include "console/ParameterControls.h"

#include <QLineEdit>
#include <utility>

#include "console/Consumption.h"
#include "console/ControlTable.h"
#include "widgets/TUiAnalogCControl.h"
#include "widgets/TUiColBitBtn.h"

namespace {

// Scenario presets, as single-precision control values.
constexpr float kIdleValveIgnitionOn = 61.0f;
constexpr float kEngineSpeedRunning = 900.0f;
constexpr float kAirFlowRunning = 9.5f;
constexpr float kVoltageRunning = 13.0f;
constexpr float kVoltageStopped = 11.4f;
constexpr float kFuelFlowRunning = 0.7f;
constexpr float kInjectionRunning = 2.0f;
constexpr float kIdleSpeedMax = 2500.0f;

}  // namespace

ParameterControls::ParameterControls(const OperatorControls& controls, MirrorFormat format, QObject* parent)
    : QObject(parent), c_(controls), format_(std::move(format)) {
    // Each mirror follows its instrument first; the couplings below run after it.
    for (const ControlTable::ValueRow& row : ControlTable::kValues) {
        if (row.settable) {
            const Mirror mirror = row.mirror;
            connect(Instrument(mirror), &TUiAnalogCControl::OnValueChange, this,
                    [this, mirror] { ShowMirror(mirror); });
        }
    }
    for (const Mirror input : {Mirror::Speed, Mirror::FuelFlow}) {
        connect(Instrument(input), &TUiAnalogCControl::OnValueChange, this, &ParameterControls::UpdateConsumption);
    }
    connect(Instrument(Mirror::EngineSpeed), &TUiAnalogCControl::OnValueChange, this,
            &ParameterControls::EngineSpeedChanged);
    connect(Instrument(Mirror::IdleSpeed), &TUiAnalogCControl::OnValueChange, this,
            &ParameterControls::IdleSpeedChanged);

    const std::pair<ControlButton, ControlButton> ignition[] = {{ControlButton::Ignition, ControlButton::Ignition2},
                                                                {ControlButton::Ignition2, ControlButton::Ignition}};
    for (const auto& [clicked, other] : ignition) {
        connect(c_.Button(clicked), &TUiBinGControl::OnClick, this, [this, clicked = clicked, other = other] {
            Ignition(clicked, other);
            // Only the trip computer tab's button stops the trip check with the ignition.
            if (clicked == ControlButton::Ignition && !c_.Button(clicked)->Checked()) {
                emit IgnitionOffFromTripTab();
            }
        });
    }
    const std::pair<ControlButton, ControlButton> engine[] = {{ControlButton::Engine, ControlButton::Engine2},
                                                              {ControlButton::Engine2, ControlButton::Engine}};
    for (const auto& [clicked, other] : engine) {
        connect(c_.Button(clicked), &TUiBinGControl::OnClick, this,
                [this, clicked = clicked, other = other] { Engine(clicked, other); });
    }
}

void ParameterControls::FillMirrors() {
    for (const ControlTable::ValueRow& row : ControlTable::kValues) {
        if (row.settable) {
            ShowMirror(row.mirror);
        }
    }
    UpdateConsumption();
}

void ParameterControls::ShowMirror(Mirror mirror) {
    const int decimals = ControlTable::RowOf(mirror).Decimals();
    c_.MirrorEdit(mirror)->setText(format_.ValueText(Instrument(mirror)->Value(), decimals));
}

void ParameterControls::UpdateConsumption() {
    const double c = ConsumptionPer100Km(Instrument(Mirror::Speed)->Value(), Instrument(Mirror::FuelFlow)->Value());
    const int decimals = ControlTable::RowOf(Mirror::Consumption).Decimals();
    c_.MirrorEdit(Mirror::Consumption)->setText(format_.ValueText(c, decimals));
    // The dial stops at its 40 l/100 km; the mirror keeps the whole figure.
    Instrument(Mirror::Consumption)->SetValue(static_cast<float>(c));
}

void ParameterControls::EngineSpeedChanged() {
    const float rpm = Instrument(Mirror::EngineSpeed)->Value();
    if (rpm <= kIdleSpeedMax) {
        Instrument(Mirror::IdleSpeed)->SetValue(rpm);
    }
}

void ParameterControls::IdleSpeedChanged() {
    Instrument(Mirror::EngineSpeed)->SetValue(Instrument(Mirror::IdleSpeed)->Value());
}

void ParameterControls::Ignition(ControlButton clicked, ControlButton other) {
    const bool on = c_.Button(clicked)->Checked();
    c_.Button(other)->SetChecked(on);
    if (on) {
        ignitionOn_ = true;
        Instrument(Mirror::IdleValve)->SetValue(kIdleValveIgnitionOn);
        return;
    }
    c_.Button(ControlButton::Engine)->SetChecked(false);
    c_.Button(ControlButton::Engine2)->SetChecked(false);
    ignitionOn_ = false;
    Instrument(Mirror::IdleValve)->SetValue(0.0f);
    EngineStopped();
}

void ParameterControls::Engine(ControlButton clicked, ControlButton other) {
    const bool running = c_.Button(clicked)->Checked();
    c_.Button(other)->SetChecked(running);
    if (!running) {
        EngineStopped();
        return;
    }
    c_.Button(ControlButton::Ignition)->SetChecked(true);
    c_.Button(ControlButton::Ignition2)->SetChecked(true);
    ignitionOn_ = true;
    Instrument(Mirror::EngineSpeed)->SetValue(kEngineSpeedRunning);
    Instrument(Mirror::AirFlow)->SetValue(kAirFlowRunning);
    Instrument(Mirror::Voltage)->SetValue(kVoltageRunning);
    Instrument(Mirror::IdleSpeed)->SetValue(kEngineSpeedRunning);
    Instrument(Mirror::FuelFlow)->SetValue(kFuelFlowRunning);
    Instrument(Mirror::Injection)->SetValue(kInjectionRunning);
}

void ParameterControls::EngineStopped() {
    Instrument(Mirror::EngineSpeed)->SetValue(0.0f);
    Instrument(Mirror::AirFlow)->SetValue(0.0f);
    Instrument(Mirror::Voltage)->SetValue(kVoltageStopped);
    Instrument(Mirror::IdleSpeed)->SetValue(0.0f);
    Instrument(Mirror::FuelFlow)->SetValue(0.0f);
    Instrument(Mirror::Injection)->SetValue(0.0f);
}
