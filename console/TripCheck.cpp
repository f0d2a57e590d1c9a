#include "console/TripCheck.h"

#include <utility>

TripCheck::TripCheck(Clock clock) : clock_(std::move(clock)) {}

void TripCheck::Start() {
    running_ = true;
    startMs_ = clock_();
    previousMs_ = startMs_;
    totals_ = TripTotals();
}

void TripCheck::Stop() {
    running_ = false;
}

std::optional<TripReading> TripCheck::Tick(const TripInputs& in) {
    if (!running_ || !in.ignitionOn) {
        return std::nullopt;
    }
    const std::int64_t now = clock_();

    double v = static_cast<double>(in.speedKmh);
    double q = in.fuelFlowLh;
    if (in.fluctuationEnabled) {
        // The speed's deviation is a whole-number product divided without rounding.
        v += static_cast<double>(in.speedKmh * in.speedDeviationPercent) / 100.0;
        q += q * in.fuelDeviationPercent / 100.0;
    }
    totals_.Add(v, q, now - previousMs_);

    TripReading r;
    r.distanceKm = totals_.distanceKm;
    r.fuelL = totals_.fuelL;
    r.elapsedMs = totals_.elapsedMs;
    r.averageSpeedKmh = totals_.AverageSpeedKmh();
    r.averageConsumption = totals_.AverageConsumption();
    previousMs_ = now;
    return r;
}

QString TripCheck::ElapsedText(std::int64_t elapsedMs) {
    const std::int64_t seconds = elapsedMs / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
