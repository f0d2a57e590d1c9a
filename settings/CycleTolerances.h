#pragma once

#include "drive/Verdict.h"

class SettingsStore;

// The verdict's tolerances, kept in the settings under keys of their own ("CycleToleranceDistance",
// "CycleToleranceFuel", per cent with a point, 0.01–100); other keys stay as they are.
namespace CycleTolerances {

// A missing or unusable value gives its default (1 % for distance, 2 % for fuel).
Tolerances Read(const SettingsStore& store);
void Write(SettingsStore& store, const Tolerances& tolerances);
// Whether a tolerance may be stored.
bool Usable(double percent);

}  // namespace CycleTolerances
