#pragma once

#include <optional>
#include <string>

#include "drive/CycleRun.h"

// The drive's figures as JSON, one line each: what `get cycle`, `get verdict` and the
// report's JSON file carry.
namespace DriveJson {

std::string Text(const std::string& text);
// A number with the given decimals, or null.
std::string Number(std::optional<double> value, int decimals);
std::string Totals(const TripTotals& totals);
// Name, state, phase, elapsed, total, both references so far, their difference, poll rates.
std::string Status(const CycleRun& run);
std::string VerdictLine(const Verdict& verdict, const Tolerances& tolerances);
// The cycle, each phase's references and the totals, the figures entered and the verdict.
std::string Run(const CycleRun& run);

}  // namespace DriveJson

const char* CycleStateName(CycleRun::State state);
