#include "driveview/CurveCycle.h"

#include "driveview/SpeedCurve.h"

DriveCycle CurveCycle() {
    std::vector<CycleRow> rows;
    for (std::uint16_t tick = 0; tick <= SpeedCurve::kCycleTicks; ++tick) {
        // The curve's first point holds from its start.
        const CurvePoint p = SpeedCurve::PointAt(tick == 0 ? 1 : tick);
        CycleRow row;
        row.timeS = tick / 10.0;
        row.speedKmh = p.speedKmh;
        row.values[static_cast<std::size_t>(CycleColumn::FuelFlow)] = p.fuelFlowLh;
        rows.push_back(row);
    }
    std::array<bool, kCycleColumnCount> columns{};
    columns[static_cast<std::size_t>(CycleColumn::FuelFlow)] = true;
    return DriveCycle("Встроенная кривая", std::move(rows), {}, columns);
}
