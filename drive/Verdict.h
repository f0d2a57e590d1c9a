#pragma once

#include <optional>
#include <string>
#include <vector>

#include "drive/TripTotals.h"

// What the operator read off the device under test: distance and fuel always, the rest when
// the device shows them.
struct EnteredFigures {
    double distanceKm = 0;
    double fuelL = 0;
    std::optional<double> averageSpeedKmh;
    std::optional<double> averageConsumption;  // l/100 km
    std::optional<double> travelTimeS;
};

// How far the device may be off the device view, in per cent, before it fails.
struct Tolerances {
    double distancePct = 1.0;
    double fuelPct = 2.0;
};

// One figure entered, held against both references. Errors are (entered − reference) /
// reference in per cent; none where the reference is 0.
struct FigureCheck {
    std::string name;  // distance, fuel, avg-speed, avg-consumption, time
    std::string unit;
    double entered = 0;
    std::optional<double> device, console;
    std::optional<double> errorVsDevicePct, errorVsConsolePct;
    std::optional<double> tolerancePct;  // only distance and fuel are judged
    bool within = true;
};

enum class VerdictState {
    NoFigures,     // nothing entered yet
    Running,       // entered before any phase had ended
    StoppedEarly,  // the cycle was stopped before its end
    NoReplies,     // the device received no speed while it drove
    Pass,
    Fail,
};

struct Verdict {
    VerdictState state = VerdictState::NoFigures;
    std::string reason;   // why there is no pass or fail, or what failed
    std::string against;  // what the figures were held against: "cycle" or "phase Urban"
    std::vector<FigureCheck> checks;
};

// Judges the figures against the device view with the tolerances; the console reference is
// shown beside it. An edge of a tolerance still passes.
Verdict JudgeFigures(const EnteredFigures& entered, const TripTotals& device, const TripTotals& console,
                     const Tolerances& tolerances);

const char* VerdictStateName(VerdictState state);
