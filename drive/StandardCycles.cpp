#include "drive/StandardCycles.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "drive/CycleCsv.h"

// Generated from drive/cycles/*.csv at configure time.
extern const char* const kNedcTable;
extern const char* const kWltcClass2Table;
extern const char* const kWltcClass3bTable;

const std::vector<StandardCycle>& StandardCycles() {
    static const std::vector<StandardCycle> cycles = {
        {"nedc", "NEDC", kNedcTable, {{"Urban", 0, 780}, {"Extra-urban", 780, 1180}}},
        {"wltc2", "WLTC class 2", kWltcClass2Table,
         {{"Low", 0, 589}, {"Medium", 589, 1022}, {"High", 1022, 1477}, {"Extra High", 1477, 1800}}},
        {"wltc3b", "WLTC class 3b", kWltcClass3bTable,
         {{"Low", 0, 589}, {"Medium", 589, 1022}, {"High", 1022, 1477}, {"Extra High", 1477, 1800}}},
    };
    return cycles;
}

std::optional<DriveCycle> LoadStandardCycle(const std::string& word) {
    std::string lower = word;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const StandardCycle& standard : StandardCycles()) {
        if (lower != standard.word) {
            continue;
        }
        CycleLoad load = ParseCycleCsv(standard.table, standard.title);
        if (!load.cycle) {
            throw std::logic_error(std::string("built-in cycle ") + standard.word + ": " + load.error);
        }
        return DriveCycle(standard.title, load.cycle->Rows(), standard.phases);
    }
    return std::nullopt;
}
