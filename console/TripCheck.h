#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "drive/TripTotals.h"

// What one counting tick reads: the ignition, the mirrored speed and fuel flow, and the
// deviations of the fluctuation walk.
struct TripInputs {
    bool ignitionOn = false;
    long long speedKmh = 0;   // Edit9
    double fuelFlowLh = 0.0;  // Edit14
    bool fluctuationEnabled = false;
    int speedDeviationPercent = 0;
    int fuelDeviationPercent = 0;
};

// The reference figures after a counting tick.
struct TripReading {
    double distanceKm = 0.0;
    double fuelL = 0.0;
    std::int64_t elapsedMs = 0;
    std::optional<double> averageSpeedKmh;       // none while no time has passed
    std::optional<double> averageConsumption;    // l/100 km; none while the distance is 0
};

// The bench's own trip computer: integrates distance and fuel from the mirrored speed and
// fuel flow between ticks. Intervals come from a monotonic millisecond clock, so a check
// that runs across midnight or a clock change counts correctly.
class TripCheck {
public:
    using Clock = std::function<std::int64_t()>;

    explicit TripCheck(Clock clock);

    void Start();
    void Stop();
    bool Running() const { return running_; }

    // One tick of Timer3; counts nothing unless running with the ignition on. The interval
    // always runs from the previous counted tick, so a pause is counted at the next tick.
    std::optional<TripReading> Tick(const TripInputs& in);

    // Elapsed travel time as hours, minutes and seconds ("1:02:03"); hours do not wrap.
    static QString ElapsedText(std::int64_t elapsedMs);
    // What the travel time field shows right after a start.
    static QString StartText() { return QStringLiteral("0.0.0"); }

    // What has been counted since the start.
    const TripTotals& Totals() const { return totals_; }

private:
    Clock clock_;
    bool running_ = false;
    std::int64_t startMs_ = 0;
    std::int64_t previousMs_ = 0;
    TripTotals totals_;
};
