#include "console/TripCheck.h"

#include <utility>

namespace {

constexpr double kMsPerHour = 3600000.0;

}  // namespace

TripCheck::TripCheck(Clock clock) : clock_(std::move(clock)) {}

void TripCheck::Start() {
    running_ = true;
    startMs_ = clock_();
    previousMs_ = startMs_;
    distanceKm_ = 0.0;
    fuelL_ = 0.0;
}

void TripCheck::Stop() {
    running_ = false;
}

std::optional<TripReading> TripCheck::Tick(const TripInputs& in) {
    if (!running_ || !in.ignitionOn) {
        return std::nullopt;
    }
    const std::int64_t now = clock_();
    const double intervalHours = static_cast<double>(now - previousMs_) / kMsPerHour;

    double v = static_cast<double>(in.speedKmh);
    double q = in.fuelFlowLh;
    if (in.fluctuationEnabled) {
        // The speed's deviation is a whole-number product divided without rounding.
        v += static_cast<double>(in.speedKmh * in.speedDeviationPercent) / 100.0;
        q += q * in.fuelDeviationPercent / 100.0;
    }
    distanceKm_ += v * intervalHours;
    fuelL_ += q * intervalHours;

    TripReading r;
    r.distanceKm = distanceKm_;
    r.fuelL = fuelL_;
    r.elapsedMs = now - startMs_;
    if (r.elapsedMs > 0) {
        r.averageSpeedKmh = distanceKm_ / (static_cast<double>(r.elapsedMs) / kMsPerHour);
    }
    if (distanceKm_ != 0.0) {
        r.averageConsumption = fuelL_ * 100.0 / distanceKm_;
    }
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
