#include "drive/DriveJson.h"

#include <cmath>
#include <cstdio>

namespace DriveJson {

std::string Text(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Number(std::optional<double> value, int decimals) {
    if (!value || !std::isfinite(*value)) {
        return "null";
    }
    // A figure that rounds to zero is written 0, never -0.
    const double shown = std::fabs(*value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : *value;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, shown);
    return text;
}

std::string Totals(const TripTotals& t) {
    return "{\"distanceKm\":" + Number(t.distanceKm, 4) + ",\"fuelL\":" + Number(t.fuelL, 4) +
           ",\"timeS\":" + Number(static_cast<double>(t.elapsedMs) / 1000.0, 1) +
           ",\"avgSpeedKmh\":" + Number(t.AverageSpeedKmh(), 2) +
           ",\"avgConsumption\":" + Number(t.AverageConsumption(), 2) + "}";
}

namespace {

std::string Polls(const PollRate& rate) {
    return "{\"count\":" + std::to_string(rate.count) + ",\"meanMs\":" + Number(rate.meanMs, 1) +
           ",\"longestMs\":" + Number(rate.longestMs, 1) + "}";
}

std::string PollRates(const DeviceView& device) {
    return "{\"speed\":" + Polls(device.SpeedPolls()) + ",\"fuel\":" + Polls(device.FuelPolls()) + "}";
}

std::string Difference(const CycleRun::References& r) {
    return "{\"distanceKm\":" + Number(r.device.distanceKm - r.console.distanceKm, 4) +
           ",\"fuelL\":" + Number(r.device.fuelL - r.console.fuelL, 4) + "}";
}

}  // namespace

std::string Status(const CycleRun& run) {
    const auto& cycle = run.Cycle();
    const CycleRun::References total = run.Total();
    std::string phase = "null";
    if (cycle && !cycle->Phases().empty()) {
        phase = Text(cycle->Phases()[static_cast<std::size_t>(run.Phase())].name);
    }
    return "{\"name\":" + (cycle ? Text(cycle->Name()) : std::string("null")) + ",\"state\":" +
           Text(CycleStateName(run.GetState())) + ",\"phase\":" + phase +
           ",\"phaseIndex\":" + std::to_string(run.Phase()) +
           ",\"elapsedS\":" + Number(static_cast<double>(run.ElapsedMs()) / 1000.0, 1) +
           ",\"totalS\":" + Number(cycle ? static_cast<double>(cycle->DurationMs()) / 1000.0 : 0.0, 1) +
           ",\"console\":" + Totals(total.console) + ",\"device\":" + Totals(total.device) +
           ",\"difference\":" + Difference(total) + ",\"replies\":" + std::to_string(run.Device().Replies()) +
           ",\"polls\":" + PollRates(run.Device()) + "}";
}

std::string VerdictLine(const Verdict& v, const Tolerances& tolerances) {
    std::string figures;
    for (const FigureCheck& c : v.checks) {
        const int decimals = c.name == "time" ? 1 : c.name == "distance" || c.name == "fuel" ? 3 : 2;
        figures += (figures.empty() ? "" : ",") + std::string("{\"name\":") + Text(c.name) +
                   ",\"unit\":" + Text(c.unit) + ",\"entered\":" + Number(c.entered, decimals) +
                   ",\"device\":" + Number(c.device, decimals + 1) + ",\"console\":" + Number(c.console, decimals + 1) +
                   ",\"errorDevicePct\":" + Number(c.errorVsDevicePct, 3) +
                   ",\"errorConsolePct\":" + Number(c.errorVsConsolePct, 3) +
                   ",\"tolerancePct\":" + Number(c.tolerancePct, 2) + ",\"within\":" + (c.within ? "true" : "false") +
                   "}";
    }
    return "{\"verdict\":" + Text(VerdictStateName(v.state)) + ",\"reason\":" + Text(v.reason) +
           ",\"against\":" + (v.against.empty() ? std::string("null") : Text(v.against)) +
           ",\"tolerances\":{\"distancePct\":" + Number(tolerances.distancePct, 2) +
           ",\"fuelPct\":" + Number(tolerances.fuelPct, 2) + "},\"figures\":[" + figures + "]}";
}

std::string Run(const CycleRun& run) {
    std::string phases;
    if (const auto& cycle = run.Cycle()) {
        for (std::size_t i = 0; i < cycle->Phases().size(); ++i) {
            const CyclePhase& p = cycle->Phases()[i];
            const CycleRun::References r = run.PhaseReferences(static_cast<int>(i));
            phases += (phases.empty() ? "" : ",") + std::string("{\"name\":") + Text(p.name) +
                      ",\"startS\":" + Number(p.startS, 1) + ",\"endS\":" + Number(p.endS, 1) +
                      ",\"tableDistanceKm\":" + Number(cycle->DistanceKm(p.startS, p.endS), 4) +
                      ",\"ended\":" + (static_cast<int>(i) < run.PhasesEnded() ? "true" : "false") +
                      ",\"console\":" + Totals(r.console) + ",\"device\":" + Totals(r.device) + "}";
        }
    }
    return "{\"cycle\":" + Status(run) + ",\"phases\":[" + phases + "],\"secondsAtAirFlowLimit\":" +
           Number(run.SecondsAtAirFlowLimit(), 1) + ",\"verdict\":" +
           VerdictLine(run.CurrentVerdict(), run.GetTolerances()) + "}";
}

}  // namespace DriveJson

const char* CycleStateName(CycleRun::State state) {
    switch (state) {
        case CycleRun::State::Idle: return "idle";
        case CycleRun::State::Running: return "running";
        case CycleRun::State::Finished: return "finished";
        case CycleRun::State::Stopped: return "stopped";
    }
    return "?";
}
