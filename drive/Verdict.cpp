#include "drive/Verdict.h"

#include <cmath>

namespace {

// Per-cent errors are compared after rounding off what a double's arithmetic leaves below
// a millionth of a per cent, so that an error that is the tolerance itself passes.
constexpr double kEdgeSlackPct = 1e-6;

std::optional<double> ErrorPct(double entered, std::optional<double> reference) {
    if (!reference || *reference == 0.0) {
        return std::nullopt;
    }
    return (entered - *reference) / *reference * 100.0;
}

FigureCheck Check(const char* name, const char* unit, double entered, std::optional<double> device,
                  std::optional<double> console, std::optional<double> tolerance) {
    FigureCheck c;
    c.name = name;
    c.unit = unit;
    c.entered = entered;
    c.device = device;
    c.console = console;
    c.errorVsDevicePct = ErrorPct(entered, device);
    c.errorVsConsolePct = ErrorPct(entered, console);
    c.tolerancePct = tolerance;
    if (tolerance) {
        // A device that shows nothing where it received nothing is right.
        c.within = c.errorVsDevicePct ? std::fabs(*c.errorVsDevicePct) <= *tolerance + kEdgeSlackPct
                                      : entered == device.value_or(0.0);
    }
    return c;
}

}  // namespace

Verdict JudgeFigures(const EnteredFigures& entered, const TripTotals& device, const TripTotals& console,
                     const Tolerances& tolerances) {
    Verdict v;
    v.checks.push_back(Check("distance", "km", entered.distanceKm, device.distanceKm, console.distanceKm,
                             tolerances.distancePct));
    v.checks.push_back(Check("fuel", "l", entered.fuelL, device.fuelL, console.fuelL, tolerances.fuelPct));
    if (entered.averageSpeedKmh) {
        v.checks.push_back(Check("avg-speed", "km/h", *entered.averageSpeedKmh, device.AverageSpeedKmh(),
                                 console.AverageSpeedKmh(), std::nullopt));
    }
    if (entered.averageConsumption) {
        v.checks.push_back(Check("avg-consumption", "l/100km", *entered.averageConsumption,
                                 device.AverageConsumption(), console.AverageConsumption(), std::nullopt));
    }
    if (entered.travelTimeS) {
        v.checks.push_back(Check("time", "s", *entered.travelTimeS, static_cast<double>(device.elapsedMs) / 1000.0,
                                 static_cast<double>(console.elapsedMs) / 1000.0, std::nullopt));
    }
    v.state = VerdictState::Pass;
    for (const FigureCheck& c : v.checks) {
        if (!c.within) {
            v.state = VerdictState::Fail;
            v.reason += (v.reason.empty() ? "" : ", ") + c.name + " outside its tolerance";
        }
    }
    return v;
}

const char* VerdictStateName(VerdictState state) {
    switch (state) {
        case VerdictState::NoFigures: return "no-figures";
        case VerdictState::Running: return "running";
        case VerdictState::StoppedEarly: return "stopped-early";
        case VerdictState::NoReplies: return "no-replies";
        case VerdictState::Pass: return "pass";
        case VerdictState::Fail: return "fail";
    }
    return "?";
}
