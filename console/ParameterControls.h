#pragma once

#include <QObject>

#include "console/MirrorFormat.h"

class QLineEdit;
class TUiAnalogCControl;
class TUiColBitBtn;
class TUiDial;
class TUiVSlider;

// The engine value controls and their hidden mirrors, the derived consumption per 100 km,
// the coupling of engine and idle speed, and the ignition and engine scenario buttons.
class ParameterControls : public QObject {
    Q_OBJECT

public:
    struct Controls {
        TUiDial* UiDial1;        // speed
        TUiVSlider* UiVSlider1;  // coolant
        TUiDial* UiDial2;        // engine speed
        TUiVSlider* UiVSlider2;  // throttle
        TUiVSlider* UiVSlider3;  // idle valve
        TUiVSlider* UiVSlider5;  // fuel flow
        TUiDial* UiDial4;        // consumption, display only
        TUiVSlider* UiVSlider4;  // air mass flow
        TUiDial* UiDial3;        // supply voltage
        TUiDial* UiDial5;        // idle speed
        TUiVSlider* UiVSlider9;  // injection time
        QLineEdit *Edit9, *Edit10, *Edit11, *Edit12, *Edit13, *Edit14, *Edit15, *Edit16, *Edit18, *Edit24, *Edit1;
        TUiColBitBtn* UiColBitBtn2;  // ignition, trip computer tab
        TUiColBitBtn* UiColBitBtn3;  // ignition, tester tab
        TUiColBitBtn* UiColBitBtn1;  // engine, trip computer tab
        TUiColBitBtn* UiColBitBtn4;  // engine, tester tab
    };

    ParameterControls(const Controls& controls, MirrorFormat format, QObject* parent = nullptr);

    // Start-up: every mirror from its control, then the consumption.
    void FillMirrors();
    bool IgnitionOn() const { return ignitionOn_; }
    void ResetIgnition() { ignitionOn_ = false; }

    void UiDial1ValueChange();
    void UiVSlider1ValueChange();
    void UiDial2ValueChange();
    void UiVSlider2ValueChange();
    void UiVSlider3ValueChange();
    void UiVSlider4ValueChange();
    void UiVSlider5ValueChange();
    void UiDial3ValueChange();
    void UiDial5ValueChange();
    void UiVSlider9ValueChange();

    void UiColBitBtn2Click();
    void UiColBitBtn3Click();
    void UiColBitBtn1Click();
    void UiColBitBtn4Click();

signals:
    // The trip computer tab's ignition button switched the ignition off: the trip check's
    // timers stop with it.
    void IgnitionOffFromTripTab();

private:
    void UpdateConsumption();
    void Ignition(TUiColBitBtn* clicked, TUiColBitBtn* other);
    void Engine(TUiColBitBtn* clicked, TUiColBitBtn* other);
    void EngineStopped();

    Controls c_;
    MirrorFormat format_;
    bool ignitionOn_ = false;
};
