#include "console/ParameterControls.h"

#include <QLineEdit>
#include <utility>

#include "console/Consumption.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiDial.h"
#include "widgets/TUiVSlider.h"

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

ParameterControls::ParameterControls(const Controls& controls, MirrorFormat format, QObject* parent)
    : QObject(parent), c_(controls), format_(std::move(format)) {
    connect(c_.UiDial1, &TUiAnalogCControl::OnValueChange, this, &ParameterControls::UiDial1ValueChange);
    connect(c_.UiVSlider1, &TUiAnalogCControl::OnValueChange, this, &ParameterControls::UiVSlider1ValueChange);
    connect(c_.UiDial2, &TUiAnalogCControl::OnValueChange, this, &ParameterControls::UiDial2ValueChange);
    connect(c_.UiVSlider2, &TUiAnalogCControl::OnValueChange, this, &ParameterControls::UiVSlider2ValueChange);
    connect(c_.UiVSlider3, &TUiAnalogCControl::OnValueChange, this, &ParameterControls::UiVSlider3ValueChange);
    connect(c_.UiVSlider4, &TUiAnalogCControl::OnValueChange, this, &ParameterControls::UiVSlider4ValueChange);
    connect(c_.UiVSlider5, &TUiAnalogCControl::OnValueChange, this, &ParameterControls::UiVSlider5ValueChange);
    connect(c_.UiDial3, &TUiAnalogCControl::OnValueChange, this, &ParameterControls::UiDial3ValueChange);
    connect(c_.UiDial5, &TUiAnalogCControl::OnValueChange, this, &ParameterControls::UiDial5ValueChange);
    connect(c_.UiVSlider9, &TUiAnalogCControl::OnValueChange, this, &ParameterControls::UiVSlider9ValueChange);
    connect(c_.UiColBitBtn2, &TUiBinGControl::OnClick, this, &ParameterControls::UiColBitBtn2Click);
    connect(c_.UiColBitBtn3, &TUiBinGControl::OnClick, this, &ParameterControls::UiColBitBtn3Click);
    connect(c_.UiColBitBtn1, &TUiBinGControl::OnClick, this, &ParameterControls::UiColBitBtn1Click);
    connect(c_.UiColBitBtn4, &TUiBinGControl::OnClick, this, &ParameterControls::UiColBitBtn4Click);
}

void ParameterControls::FillMirrors() {
    c_.Edit9->setText(format_.IntegerText(c_.UiDial1->Value()));
    c_.Edit10->setText(format_.IntegerText(c_.UiVSlider1->Value()));
    c_.Edit11->setText(format_.IntegerText(c_.UiDial2->Value()));
    c_.Edit12->setText(format_.IntegerText(c_.UiVSlider2->Value()));
    c_.Edit13->setText(format_.IntegerText(c_.UiVSlider3->Value()));
    c_.Edit14->setText(format_.DecimalText(c_.UiVSlider5->Value(), 1));
    c_.Edit15->setText(format_.DecimalText(c_.UiVSlider4->Value(), 1));
    c_.Edit16->setText(format_.DecimalText(c_.UiDial3->Value(), 1));
    c_.Edit18->setText(format_.IntegerText(c_.UiDial5->Value()));
    c_.Edit24->setText(format_.DecimalText(c_.UiVSlider9->Value(), 2));
    UpdateConsumption();
}

void ParameterControls::UpdateConsumption() {
    const double c = ConsumptionPer100Km(c_.UiDial1->Value(), c_.UiVSlider5->Value());
    c_.Edit1->setText(format_.DecimalText(c, 1));
    // The dial stops at its 40 l/100 km; the mirror keeps the whole figure.
    c_.UiDial4->SetValue(static_cast<float>(c));
}

void ParameterControls::UiDial1ValueChange() {
    c_.Edit9->setText(format_.IntegerText(c_.UiDial1->Value()));
    UpdateConsumption();
}

void ParameterControls::UiVSlider1ValueChange() {
    c_.Edit10->setText(format_.IntegerText(c_.UiVSlider1->Value()));
}

void ParameterControls::UiDial2ValueChange() {
    const float rpm = c_.UiDial2->Value();
    c_.Edit11->setText(format_.IntegerText(rpm));
    if (rpm <= kIdleSpeedMax) {
        c_.UiDial5->SetValue(rpm);
    }
}

void ParameterControls::UiVSlider2ValueChange() {
    c_.Edit12->setText(format_.IntegerText(c_.UiVSlider2->Value()));
}

void ParameterControls::UiVSlider3ValueChange() {
    c_.Edit13->setText(format_.IntegerText(c_.UiVSlider3->Value()));
}

void ParameterControls::UiVSlider4ValueChange() {
    c_.Edit15->setText(format_.DecimalText(c_.UiVSlider4->Value(), 1));
}

void ParameterControls::UiVSlider5ValueChange() {
    c_.Edit14->setText(format_.DecimalText(c_.UiVSlider5->Value(), 1));
    UpdateConsumption();
}

void ParameterControls::UiDial3ValueChange() {
    c_.Edit16->setText(format_.DecimalText(c_.UiDial3->Value(), 1));
}

void ParameterControls::UiDial5ValueChange() {
    const float rpm = c_.UiDial5->Value();
    c_.Edit18->setText(format_.IntegerText(rpm));
    c_.UiDial2->SetValue(rpm);
}

void ParameterControls::UiVSlider9ValueChange() {
    c_.Edit24->setText(format_.DecimalText(c_.UiVSlider9->Value(), 2));
}

void ParameterControls::UiColBitBtn2Click() {
    Ignition(c_.UiColBitBtn2, c_.UiColBitBtn3);
    if (!c_.UiColBitBtn2->Checked()) {
        emit IgnitionOffFromTripTab();
    }
}

void ParameterControls::UiColBitBtn3Click() {
    Ignition(c_.UiColBitBtn3, c_.UiColBitBtn2);
}

void ParameterControls::UiColBitBtn1Click() {
    Engine(c_.UiColBitBtn1, c_.UiColBitBtn4);
}

void ParameterControls::UiColBitBtn4Click() {
    Engine(c_.UiColBitBtn4, c_.UiColBitBtn1);
}

void ParameterControls::Ignition(TUiColBitBtn* clicked, TUiColBitBtn* other) {
    const bool on = clicked->Checked();
    other->SetChecked(on);
    if (on) {
        ignitionOn_ = true;
        c_.UiVSlider3->SetValue(kIdleValveIgnitionOn);
        return;
    }
    c_.UiColBitBtn1->SetChecked(false);
    c_.UiColBitBtn4->SetChecked(false);
    ignitionOn_ = false;
    c_.UiVSlider3->SetValue(0.0f);
    EngineStopped();
}

void ParameterControls::Engine(TUiColBitBtn* clicked, TUiColBitBtn* other) {
    const bool running = clicked->Checked();
    other->SetChecked(running);
    if (!running) {
        EngineStopped();
        return;
    }
    c_.UiColBitBtn2->SetChecked(true);
    c_.UiColBitBtn3->SetChecked(true);
    ignitionOn_ = true;
    c_.UiDial2->SetValue(kEngineSpeedRunning);
    c_.UiVSlider4->SetValue(kAirFlowRunning);
    c_.UiDial3->SetValue(kVoltageRunning);
    c_.UiDial5->SetValue(kEngineSpeedRunning);
    c_.UiVSlider5->SetValue(kFuelFlowRunning);
    c_.UiVSlider9->SetValue(kInjectionRunning);
}

void ParameterControls::EngineStopped() {
    c_.UiDial2->SetValue(0.0f);
    c_.UiVSlider4->SetValue(0.0f);
    c_.UiDial3->SetValue(kVoltageStopped);
    c_.UiDial5->SetValue(0.0f);
    c_.UiVSlider5->SetValue(0.0f);
    c_.UiVSlider9->SetValue(0.0f);
}
