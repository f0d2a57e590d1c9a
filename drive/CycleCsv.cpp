#include "drive/CycleCsv.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

// Each column's range is its control's: a cycle never asks for a value the console cannot show.
struct ColumnRange {
    const char* unit;
    double min, max;
};

constexpr ColumnRange kSpeedRange{"km/h", 0, 250};
constexpr ColumnRange kRanges[kCycleColumnCount] = {
    {"rpm", 0, 10000}, {"l/h", 0, 40}, {"ms", 0, 100}, {"%", 0, 100}, {"°C", -40, 160}};

std::vector<std::string> SplitCells(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, ',')) {
        const auto first = cell.find_first_not_of(" \t");
        const auto last = cell.find_last_not_of(" \t");
        cells.push_back(first == std::string::npos ? std::string() : cell.substr(first, last - first + 1));
    }
    if (!line.empty() && line.back() == ',') {
        cells.emplace_back();
    }
    return cells;
}

std::optional<double> Number(const std::string& cell) {
    if (cell.empty()) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(cell.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string Text(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

}  // namespace

CycleLoad ParseCycleCsv(const std::string& text, const std::string& name) {
    CycleLoad load;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& reason) {
        load.error = "line " + std::to_string(lineNo) + ": " + reason;
        return load;
    };

    std::vector<int> columnOf;  // cell index → CycleColumn, after the two first
    std::array<bool, kCycleColumnCount> columns{};
    std::vector<CycleRow> rows;
    bool header = false;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        const std::vector<std::string> cells = SplitCells(line);
        if (!header) {
            if (cells.size() < 2 || cells[0] != "time_s" || cells[1] != "speed_kmh") {
                return fail("the header must begin with time_s,speed_kmh");
            }
            for (std::size_t i = 2; i < cells.size(); ++i) {
                int found = -1;
                for (int c = 0; c < kCycleColumnCount; ++c) {
                    if (cells[i] == CycleColumnName(static_cast<CycleColumn>(c))) {
                        found = c;
                    }
                }
                if (found < 0) {
                    return fail("unknown column \"" + cells[i] +
                                "\" (rpm, fuel_lph, injection_ms, throttle_pct, coolant_c)");
                }
                if (columns[found]) {
                    return fail("column " + cells[i] + " twice");
                }
                columns[found] = true;
                columnOf.push_back(found);
            }
            header = true;
            continue;
        }
        if (cells.size() != columnOf.size() + 2) {
            return fail(std::to_string(cells.size()) + " cells, the header has " + std::to_string(columnOf.size() + 2));
        }
        CycleRow row;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::optional<double> value = Number(cells[i]);
            const char* column = i == 0 ? "time_s" : i == 1 ? "speed_kmh" : CycleColumnName(static_cast<CycleColumn>(columnOf[i - 2]));
            if (!value) {
                return fail(std::string(column) + " \"" + cells[i] + "\" is not a number");
            }
            if (i == 0) {
                row.timeS = *value;
                continue;
            }
            const ColumnRange& range = i == 1 ? kSpeedRange : kRanges[columnOf[i - 2]];
            if (*value < range.min || *value > range.max) {
                return fail(std::string(column) + " " + cells[i] + " is outside " + Text(range.min) + "…" +
                            Text(range.max) + " " + range.unit);
            }
            if (i == 1) {
                row.speedKmh = *value;
            } else {
                row.values[static_cast<std::size_t>(columnOf[i - 2])] = *value;
            }
        }
        if (rows.empty() && row.timeS != 0.0) {
            return fail("the first row must be at 0 s, not " + cells[0]);
        }
        if (!rows.empty() && row.timeS <= rows.back().timeS) {
            return fail("time " + cells[0] + " does not follow " + Text(rows.back().timeS));
        }
        rows.push_back(row);
    }
    if (!header) {
        lineNo = std::max(lineNo, 1);
        return fail("no header time_s,speed_kmh");
    }
    if (rows.size() < 2) {
        return fail("a cycle needs at least two rows");
    }
    load.cycle.emplace(name, std::move(rows), std::vector<CyclePhase>{}, columns);
    return load;
}
