#include "drive/DriveCycle.h"

#include <algorithm>

const char* CycleColumnName(CycleColumn column) {
    switch (column) {
        case CycleColumn::Rpm: return "rpm";
        case CycleColumn::FuelFlow: return "fuel_lph";
        case CycleColumn::Injection: return "injection_ms";
        case CycleColumn::Throttle: return "throttle_pct";
        case CycleColumn::Coolant: return "coolant_c";
    }
    return "?";
}

DriveCycle::DriveCycle(std::string name, std::vector<CycleRow> rows, std::vector<CyclePhase> phases,
                       std::array<bool, kCycleColumnCount> columns)
    : name_(std::move(name)), rows_(std::move(rows)), phases_(std::move(phases)), columns_(columns) {
    if (phases_.empty() && !rows_.empty()) {
        phases_.push_back({name_, 0, rows_.back().timeS});
    }
}

std::int64_t DriveCycle::DurationMs() const {
    return rows_.empty() ? 0 : static_cast<std::int64_t>(rows_.back().timeS * 1000.0 + 0.5);
}

std::pair<std::size_t, double> DriveCycle::Segment(double timeS) const {
    if (rows_.size() < 2 || timeS <= rows_.front().timeS) {
        return {0, 0.0};
    }
    if (timeS >= rows_.back().timeS) {
        return {rows_.size() - 2, 1.0};
    }
    const auto next = std::upper_bound(rows_.begin(), rows_.end(), timeS,
                                       [](double t, const CycleRow& row) { return t < row.timeS; });
    const std::size_t i = static_cast<std::size_t>(next - rows_.begin()) - 1;
    return {i, (timeS - rows_[i].timeS) / (rows_[i + 1].timeS - rows_[i].timeS)};
}

double DriveCycle::SpeedAt(std::int64_t ms) const {
    if (rows_.size() < 2) {
        return rows_.empty() ? 0.0 : rows_.front().speedKmh;
    }
    const auto [i, f] = Segment(static_cast<double>(ms) / 1000.0);
    return rows_[i].speedKmh + (rows_[i + 1].speedKmh - rows_[i].speedKmh) * f;
}

double DriveCycle::ValueAt(CycleColumn column, std::int64_t ms) const {
    const auto c = static_cast<std::size_t>(column);
    if (rows_.size() < 2) {
        return rows_.empty() ? 0.0 : rows_.front().values[c];
    }
    const auto [i, f] = Segment(static_cast<double>(ms) / 1000.0);
    return rows_[i].values[c] + (rows_[i + 1].values[c] - rows_[i].values[c]) * f;
}

int DriveCycle::PhaseAt(std::int64_t ms) const {
    const double t = static_cast<double>(ms) / 1000.0;
    int phase = 0;
    for (std::size_t i = 1; i < phases_.size(); ++i) {
        if (t >= phases_[i].startS) {
            phase = static_cast<int>(i);
        }
    }
    return phase;
}

double DriveCycle::DistanceKm(double fromS, double toS) const {
    if (rows_.size() < 2 || toS <= fromS) {
        return 0.0;
    }
    double km = 0.0;
    for (std::size_t i = 0; i + 1 < rows_.size(); ++i) {
        const double a = std::max(fromS, rows_[i].timeS);
        const double b = std::min(toS, rows_[i + 1].timeS);
        if (b <= a) {
            continue;
        }
        const double span = rows_[i + 1].timeS - rows_[i].timeS;
        auto speed = [&](double t) {
            return rows_[i].speedKmh + (rows_[i + 1].speedKmh - rows_[i].speedKmh) * (t - rows_[i].timeS) / span;
        };
        km += (speed(a) + speed(b)) / 2.0 * (b - a) / 3600.0;
    }
    return km;
}
