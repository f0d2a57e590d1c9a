#include "drive/VehicleModel.h"

#include <algorithm>

namespace {

constexpr double kGravity = 9.81;
constexpr double kStandingKmh = 0.5;

}  // namespace

double VehicleModel::WheelPowerKw(double speedKmh, double accelerationMs2) {
    const double v = speedKmh / 3.6;
    const double rolling = kRollingResistance * kMassKg * kGravity;
    const double air = 0.5 * kAirDensityKgM3 * kDragAreaM2 * v * v;
    const double inertia = kRotatingMassFactor * kMassKg * accelerationMs2;
    return (rolling + air + inertia) * v / 1000.0;
}

// Litres an hour = cylinders × (rpm / 2 injections a minute × 60) × injector l/min × ms / 60 000.
double VehicleModel::FuelFromInjection(double injectionMs, double rpm) {
    return kCylinders * rpm * kInjectorLPerMin * injectionMs / 2000.0;
}

double VehicleModel::InjectionFor(double fuelFlowLh, double rpm) {
    return rpm > 0 ? fuelFlowLh * 2000.0 / (kCylinders * rpm * kInjectorLPerMin) : 0.0;
}

double VehicleModel::FuelFromAirFlow(double airFlowKgh) {
    return airFlowKgh / kStoichiometricAirFuel / kFuelDensityKgPerL;
}

double VehicleModel::AirFlowFor(double fuelFlowLh) {
    return fuelFlowLh * kFuelDensityKgPerL * kStoichiometricAirFuel;
}

EngineValues VehicleModel::Step(double speedKmh, double previousSpeedKmh, double dtS) {
    EngineValues out;
    out.speedKmh = speedKmh;
    if (speedKmh < kStandingKmh) {
        gear_ = 0;
    } else {
        gear_ = std::max(gear_, 1);
        while (gear_ < 5 && speedKmh >= kUpshiftKmh[gear_]) {
            ++gear_;
        }
        while (gear_ > 1 && speedKmh < kDownshiftKmh[gear_]) {
            --gear_;
        }
    }
    out.gear = gear_;
    const double rpmInGear = speedKmh * kRpmPerKmh[gear_];
    // Below idle in gear the clutch slips: the engine holds idle.
    out.rpm = std::min(std::max(kIdleRpm, rpmInGear), 10000.0);

    const double acceleration = dtS > 0 ? (speedKmh - previousSpeedKmh) / 3.6 / dtS : 0.0;
    const double wheelKw = gear_ == 0 ? 0.0 : WheelPowerKw(speedKmh, acceleration);
    const double engineKw = std::min(std::max(wheelKw, 0.0) / kDrivelineEfficiency, kMaxPowerKw);
    const double maxFuel = kMaxAirFlowKgh / (kFuelDensityKgPerL * kStoichiometricAirFuel);
    if (wheelKw < 0 && rpmInGear > kCutOffAboveRpm) {
        out.fuelFlowLh = 0;  // overrun: the car drives the engine
    } else {
        const double wanted = kIdleFuelLh + engineKw * 3600.0 / (kEngineEfficiency * kFuelEnergyMJPerL * 1000.0);
        out.fuelHeld = wanted > maxFuel;
        out.fuelFlowLh = std::min(wanted, maxFuel);
    }
    out.injectionMs = InjectionFor(out.fuelFlowLh, out.rpm);
    out.airFlowKgh = AirFlowFor(out.fuelFlowLh);
    out.throttlePct = engineKw / kMaxPowerKw * 100.0;
    return out;
}
