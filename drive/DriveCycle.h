#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The values a cycle table may set directly, besides the speed, in the order of their
// column names in a cycle file.
enum class CycleColumn { Rpm, FuelFlow, Injection, Throttle, Coolant };
constexpr int kCycleColumnCount = 5;

// The column name of a cycle file for a value: rpm, fuel_lph, injection_ms, throttle_pct, coolant_c.
const char* CycleColumnName(CycleColumn column);

struct CycleRow {
    double timeS = 0;
    double speedKmh = 0;
    std::array<double, kCycleColumnCount> values{};  // only the columns the table has count
};

struct CyclePhase {
    std::string name;
    double startS = 0;
    double endS = 0;
};

// A drive cycle: speed against time, rows in rising time from 0 s, linear between rows, and
// its phases, which cover it end to end.
class DriveCycle {
public:
    DriveCycle(std::string name, std::vector<CycleRow> rows, std::vector<CyclePhase> phases,
               std::array<bool, kCycleColumnCount> columns = {});

    const std::string& Name() const { return name_; }
    const std::vector<CycleRow>& Rows() const { return rows_; }
    const std::vector<CyclePhase>& Phases() const { return phases_; }
    bool Has(CycleColumn column) const { return columns_[static_cast<int>(column)]; }

    std::int64_t DurationMs() const;
    double SpeedAt(std::int64_t ms) const;
    double ValueAt(CycleColumn column, std::int64_t ms) const;
    // The phase a moment belongs to; a boundary starts the next phase, the end stays in the last.
    int PhaseAt(std::int64_t ms) const;
    // The distance the table drives between two moments: the integral of its linear speed.
    double DistanceKm(double fromS, double toS) const;

private:
    // The row whose segment holds t, and how far along it t lies (0..1).
    std::pair<std::size_t, double> Segment(double timeS) const;

    std::string name_;
    std::vector<CycleRow> rows_;
    std::vector<CyclePhase> phases_;
    std::array<bool, kCycleColumnCount> columns_;
};
