#pragma once

#include <cstdint>
#include <optional>

// Distance, fuel and travel time counted from speed and fuel flow held over intervals: the
// arithmetic of the bench's trip check, shared by every reference that counts like it.
struct TripTotals {
    double distanceKm = 0;
    double fuelL = 0;
    std::int64_t elapsedMs = 0;

    // Speed and fuel flow held for `intervalMs`; the interval counts in hours of 3 600 000 ms.
    void Add(double speedKmh, double fuelFlowLh, std::int64_t intervalMs) {
        const double hours = static_cast<double>(intervalMs) / 3600000.0;
        distanceKm += speedKmh * hours;
        fuelL += fuelFlowLh * hours;
        elapsedMs += intervalMs;
    }

    std::optional<double> AverageSpeedKmh() const {
        if (elapsedMs <= 0) {
            return std::nullopt;
        }
        return distanceKm / (static_cast<double>(elapsedMs) / 3600000.0);
    }
    // l/100 km; none while the distance is 0.
    std::optional<double> AverageConsumption() const {
        if (distanceKm == 0.0) {
            return std::nullopt;
        }
        return fuelL * 100.0 / distanceKm;
    }

    // What was counted from `earlier` to this.
    TripTotals Since(const TripTotals& earlier) const {
        return {distanceKm - earlier.distanceKm, fuelL - earlier.fuelL, elapsedMs - earlier.elapsedMs};
    }
};
