#pragma once

// The engine values a trip computer reads, at one moment of a drive.
struct EngineValues {
    double speedKmh = 0;
    int gear = 0;             // 0 standing (neutral), 1..5
    double rpm = 0;
    double fuelFlowLh = 0;
    double injectionMs = 0;   // per injection, each cylinder once every two turns
    double airFlowKgh = 0;
    double throttlePct = 0;
    bool fuelHeld = false;    // the car asked for more fuel than the air-flow range can carry
};

// A default car of the class trip computers are sold for: a 1.6-litre four-cylinder petrol
// hatchback of 1 100 kg with a five-speed gearbox. Fuel comes from the power the road asks
// for (rolling, air and the inertia of the car), and injection time and air flow come from
// the fuel, so a device that counts fuel from the fuel-flow field, from injection time and
// rpm, or from air flow, gets the same litres.
class VehicleModel {
public:
    static constexpr double kMassKg = 1100;
    static constexpr double kRotatingMassFactor = 1.04;  // wheels and driveline add 4 % to the inertia
    static constexpr double kRollingResistance = 0.011;
    static constexpr double kDragAreaM2 = 0.66;           // Cd 0.33 × frontal area 2.0 m²
    static constexpr double kAirDensityKgM3 = 1.2;
    static constexpr double kDrivelineEfficiency = 0.90;
    static constexpr double kEngineEfficiency = 0.25;     // fuel energy to shaft power, on average
    static constexpr double kFuelEnergyMJPerL = 32.0;     // petrol: 43 MJ/kg × 0.745 kg/l
    static constexpr double kFuelDensityKgPerL = 0.745;
    static constexpr double kStoichiometricAirFuel = 14.7;
    static constexpr double kMaxPowerKw = 77;             // full throttle
    static constexpr double kIdleRpm = 900;
    static constexpr double kIdleFuelLh = 0.7;
    static constexpr int kCylinders = 4;
    static constexpr double kInjectorLPerMin = 0.15;      // each injector, open, at rail pressure
    // Overrun cut-off holds while the engine turns above this; below it the idle flow returns.
    static constexpr double kCutOffAboveRpm = 1100;
    // The air-flow read-out ends at 100 kg/h: fuel is held to what that air burns, so that
    // every way of counting fuel still agrees.
    static constexpr double kMaxAirFlowKgh = 100;
    // Engine turns per km/h in each gear, through the final drive and a 0.58 m tyre.
    static constexpr double kRpmPerKmh[6] = {0, 127, 68, 46, 33, 27};
    // Change up at or above, down below (km/h); the gap between them keeps a gear steady.
    static constexpr double kUpshiftKmh[5] = {0, 20, 35, 50, 65};    // from gear i to i+1
    static constexpr double kDownshiftKmh[6] = {0, 0, 13, 28, 43, 58};  // from gear i to i-1

    // One step of the drive: the speed now and the speed `dtS` seconds before.
    EngineValues Step(double speedKmh, double previousSpeedKmh, double dtS);
    void Reset() { gear_ = 0; }

    // Road-load power at the wheels, kW (negative while the car slows faster than it rolls out).
    static double WheelPowerKw(double speedKmh, double accelerationMs2);
    // What a device computes back from the other fields.
    static double FuelFromInjection(double injectionMs, double rpm);
    static double FuelFromAirFlow(double airFlowKgh);
    static double InjectionFor(double fuelFlowLh, double rpm);
    static double AirFlowFor(double fuelFlowLh);

private:
    int gear_ = 0;
};
