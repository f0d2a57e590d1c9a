#pragma once

#include <optional>
#include <string>

#include "drive/DriveCycle.h"

// Reads a cycle file: a header `time_s,speed_kmh`, then optionally any of rpm, fuel_lph,
// injection_ms, throttle_pct, coolant_c, then one row a moment. A file with any fault is
// refused whole, with the line and the reason, so nothing half-read is ever driven.
struct CycleLoad {
    std::optional<DriveCycle> cycle;
    std::string error;  // "line 7: time 12 does not follow 12"; empty when loaded
};

CycleLoad ParseCycleCsv(const std::string& text, const std::string& name);
