#pragma once

#include <optional>
#include <string>
#include <vector>

#include "drive/DriveCycle.h"

// The regulated cycles the bench carries: their tables are the files of drive/cycles/,
// built into the program.
struct StandardCycle {
    const char* word;   // the control interface's and the command line's name: nedc, wltc2, wltc3b
    const char* title;  // as the cycle choice shows it
    const char* table;  // the CSV text
    std::vector<CyclePhase> phases;
};

const std::vector<StandardCycle>& StandardCycles();
// The standard cycle of that name (any letter case), loaded; nullopt for another name.
std::optional<DriveCycle> LoadStandardCycle(const std::string& word);
