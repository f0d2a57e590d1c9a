#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "drive/CycleRun.h"
#include "emulator/EcuEnvironment.h"

class QTimer;

// Drives a cycle through the console: every 100 ms it sets the controls the car's values
// stand for, as the operator would drag them, so the replies and the trip check read them
// from the mirrors as always. The trip check starts with the cycle and stops with it; each
// reply that leaves is handed to the device view.
class CycleDriver : public QObject {
    Q_OBJECT

public:
    // What the driver does to the console.
    struct Console {
        std::function<void(Mirror, double)> set;  // a control set as if dragged
        std::function<void()> startEngine;        // ignition on and the engine running
        std::function<void()> restartTripCheck;   // the trip check counting afresh from now
        std::function<void()> countTrip;          // one counting tick of the trip check now
        std::function<void()> stopTripCheck;
        std::function<EcuVariant()> variant;
    };
    using Clock = std::function<std::int64_t()>;

    CycleDriver(Console console, Clock clock, QObject* parent = nullptr);

    void Start(DriveCycle cycle);
    void Stop();
    bool Running() const { return run_.GetState() == CycleRun::State::Running; }

    // A reply frame left at `ms` of the driver's clock.
    void ReplySent(std::int64_t ms, const std::uint8_t* frame, std::size_t n);
    // The trip check counted; its figures since its start.
    void TripCounted(const TripTotals& sinceStart);

    CycleRun& Run() { return run_; }
    const CycleRun& Run() const { return run_; }
    std::int64_t Now() const { return clock_(); }

    void Tick();

signals:
    // After each tick, at the end and at a stop: the references and the progress moved.
    void Changed();

private:
    Console console_;
    Clock clock_;
    CycleRun run_;
    QTimer* timer_;
};
