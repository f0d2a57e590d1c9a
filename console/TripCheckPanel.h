#pragma once

#include <QObject>
#include <functional>

#include "console/MirrorFormat.h"
#include "driveview/SpeedCurve.h"
#include "console/TripCheck.h"

class Fluctuation;
class QLineEdit;
class QTimer;
class TUiAnalogCControl;
class TUiColBitBtn;
class TUiValueInd;

// The trip check on the first tab: the start/stop and curve buttons, the travel time and the
// four read-outs, and the three timers that count, walk the deviations and drive the curve.
class TripCheckPanel : public QObject {
    Q_OBJECT

public:
    struct Controls {
        TUiColBitBtn* UiColBitBtn7;   // start / stop the check
        TUiColBitBtn* UiColBitBtn11;  // start / stop the curve
        QLineEdit* Vremy;
        TUiValueInd* UiValueIndPut;
        TUiValueInd* UiValueIndRashod;
        TUiValueInd* UiValueIndSredSkor;
        TUiValueInd* UiValueIndSredRash;
        TUiAnalogCControl* speed;     // the curve sets the speed
        TUiAnalogCControl* fuelFlow;  // and the fuel flow
        QLineEdit* speedMirror;       // counted speed
        QLineEdit* fuelFlowMirror;    // counted fuel flow
        QTimer* Timer3;
        QTimer* Timer4;
        QTimer* Timer5;
    };

    TripCheckPanel(const Controls& controls, TripCheck::Clock clock, Fluctuation& fluctuation,
                   std::function<bool()> ignitionOn, std::function<void()> deviationStep, MirrorFormat format,
                   QObject* parent = nullptr);

    bool TripCheckRunning() const { return check_.Running(); }
    std::uint16_t CurveTick() const { return curve_.CurveTick(); }
    void ResetCurve() { curve_.Reset(); }
    // The controls as the panel was given them, for reading what it shows.
    const Controls& Widgets() const { return c_; }

    void UiColBitBtn7Click();
    void UiColBitBtn11Click();
    void Timer3Timer();
    void Timer4Timer();
    void Timer5Timer();

    // Told after every counted tick what has been counted since the start.
    void SetOnCounted(std::function<void(const TripTotals&)> onCounted) { onCounted_ = std::move(onCounted); }

    // Ignition off from the trip computer tab: counting, walk and curve stop; the buttons
    // keep their state, so nothing resumes until the operator switches them off and on.
    void StopTimers();

private:
    Controls c_;
    TripCheck check_;
    SpeedCurve curve_;
    Fluctuation& fluctuation_;
    std::function<bool()> ignitionOn_;
    std::function<void()> deviationStep_;
    MirrorFormat format_;
    std::function<void(const TripTotals&)> onCounted_;
};
