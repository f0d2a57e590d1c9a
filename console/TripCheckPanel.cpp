#include "console/TripCheckPanel.h"

#include <QLineEdit>
#include <QTimer>
#include <utility>

#include "emulator/Fluctuation.h"
#include "widgets/TUiAnalogCControl.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiValueInd.h"

TripCheckPanel::TripCheckPanel(const Controls& controls, TripCheck::Clock clock, Fluctuation& fluctuation,
                               std::function<bool()> ignitionOn, std::function<void()> deviationStep,
                               MirrorFormat format, QObject* parent)
    : QObject(parent),
      c_(controls),
      check_(std::move(clock)),
      fluctuation_(fluctuation),
      ignitionOn_(std::move(ignitionOn)),
      deviationStep_(std::move(deviationStep)),
      format_(std::move(format)) {
    connect(c_.UiColBitBtn7, &TUiBinGControl::OnClick, this, &TripCheckPanel::UiColBitBtn7Click);
    connect(c_.UiColBitBtn11, &TUiBinGControl::OnClick, this, &TripCheckPanel::UiColBitBtn11Click);
    connect(c_.Timer3, &QTimer::timeout, this, &TripCheckPanel::Timer3Timer);
    connect(c_.Timer4, &QTimer::timeout, this, &TripCheckPanel::Timer4Timer);
    connect(c_.Timer5, &QTimer::timeout, this, &TripCheckPanel::Timer5Timer);
}

void TripCheckPanel::UiColBitBtn7Click() {
    if (!c_.UiColBitBtn7->Checked()) {
        check_.Stop();
        c_.Timer3->stop();
        c_.Timer4->stop();
        return;
    }
    check_.Start();
    c_.Vremy->setText(TripCheck::StartText());
    c_.UiValueIndPut->SetValue(0.0f);
    c_.UiValueIndRashod->SetValue(0.0f);
    c_.Timer3->start();
    c_.Timer4->start();
    fluctuation_.ResetDeviations();
}

void TripCheckPanel::UiColBitBtn11Click() {
    if (c_.UiColBitBtn11->Checked()) {
        c_.Timer5->start();
    } else {
        c_.Timer5->stop();
    }
    curve_.Reset();
}

void TripCheckPanel::Timer3Timer() {
    TripInputs in;
    in.ignitionOn = ignitionOn_();
    // The mirrors are written by the console itself and always convert.
    in.speedKmh = format_.ParseInteger(c_.speedMirror->text()).value_or(0);
    in.fuelFlowLh = format_.ParseDecimal(c_.fuelFlowMirror->text()).value_or(0.0);
    in.fluctuationEnabled = fluctuation_.FluctuationEnabled();
    in.speedDeviationPercent = fluctuation_.SpeedDeviationPercent();
    in.fuelDeviationPercent = fluctuation_.FuelDeviationPercent();
    const auto r = check_.Tick(in);
    if (!r) {
        return;
    }
    c_.Vremy->setText(TripCheck::ElapsedText(r->elapsedMs));
    c_.UiValueIndPut->SetValue(static_cast<float>(r->distanceKm));
    c_.UiValueIndRashod->SetValue(static_cast<float>(r->fuelL));
    if (r->averageSpeedKmh) {
        c_.UiValueIndSredSkor->SetValue(static_cast<float>(*r->averageSpeedKmh));
    }
    if (r->averageConsumption) {
        c_.UiValueIndSredRash->SetValue(static_cast<float>(*r->averageConsumption));
    }
    if (onCounted_) {
        onCounted_(check_.Totals());
    }
}

void TripCheckPanel::Timer4Timer() {
    deviationStep_();
}

void TripCheckPanel::Timer5Timer() {
    if (!ignitionOn_()) {
        return;
    }
    const CurvePoint p = curve_.Step();
    c_.speed->SetValue(p.speedKmh);
    c_.fuelFlow->SetValue(p.fuelFlowLh);
}

void TripCheckPanel::StopTimers() {
    c_.Timer3->stop();
    c_.Timer4->stop();
    c_.Timer5->stop();
}
