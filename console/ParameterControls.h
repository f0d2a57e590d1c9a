#pragma once

#include <QObject>

#include "console/ControlButton.h"
#include "console/MirrorFormat.h"
#include "console/OperatorControls.h"

class TUiAnalogCControl;

// The engine value controls and their hidden mirrors, the derived consumption per 100 km,
// the coupling of engine and idle speed, and the ignition and engine scenario buttons.
class ParameterControls : public QObject {
    Q_OBJECT

public:
    // Every value of the control table, its mirror and the four scenario buttons must be there.
    ParameterControls(const OperatorControls& controls, MirrorFormat format, QObject* parent = nullptr);

    // Start-up: every mirror from its control, then the consumption.
    void FillMirrors();
    bool IgnitionOn() const { return ignitionOn_; }
    void ResetIgnition() { ignitionOn_ = false; }

signals:
    // The trip computer tab's ignition button switched the ignition off: the trip check's
    // timers stop with it.
    void IgnitionOffFromTripTab();

private:
    TUiAnalogCControl* Instrument(Mirror mirror) const { return c_.Instrument(mirror); }
    void ShowMirror(Mirror mirror);
    void UpdateConsumption();
    void EngineSpeedChanged();
    void IdleSpeedChanged();
    void Ignition(ControlButton clicked, ControlButton other);
    void Engine(ControlButton clicked, ControlButton other);
    void EngineStopped();

    // A copy: the pointers stay valid for as long as the window that owns both.
    OperatorControls c_;
    MirrorFormat format_;
    bool ignitionOn_ = false;
};
