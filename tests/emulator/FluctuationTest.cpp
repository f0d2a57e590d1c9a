#include <algorithm>
#include <limits>
#include <tuple>

#include "support/EmulatorHarness.h"
#include "emulator/Fluctuation.h"

// Seeds whose two draws after re-seeding are: 0 (0, 3) both down; 20 (62, 62) both up;
// 22 (69, 28) speed up, fuel down; 13 (40, 81) speed stays, fuel up.
TEST(FluctuationTest, KnownSeedsGiveAKnownWalkAndDeviatedValues) {
    constexpr long long kMax = std::numeric_limits<long long>::max();
    constexpr long long kMin = std::numeric_limits<long long>::min();
    // Seeds, one per step and the last one for ever; percent; steps; on; speed and fuel deviation;
    // a speed and its deviated value; a fuel rate and its deviated value.
    using Seeds = std::vector<std::uint32_t>;
    const std::tuple<Seeds, std::uint8_t, int, bool, int, int, long long, long long, double, double> rows[] = {
        {{0}, 5, 7, true, -5, -5, 60, 57, 10.0, 9.5},  // held at the bound; 60 − 3
        {{0}, 5, 7, false, -5, -5, 60, 60, 10.0, 10.0},  // walked but not applied
        {{20}, 5, 9, true, 5, 5, 50, 52, 10.0, 10.5},  // 50 + R(2.5): half to even
        {{20}, 5, 5, true, 5, 5, 30, 32, 1.0, 1.05},   // 30 + R(1.5)
        {{20}, 5, 5, true, 5, 5, kMax, kMax, 1.0, 1.05}, {{20}, 5, 5, true, 5, 5, kMin, kMin, 1.0, 1.05},
        {{22}, 5, 2, true, 2, -2, 100, 102, 10.0, 9.8}, {{13}, 5, 1, true, 0, 1, 100, 100, 10.0, 10.1},
        {{20}, 0, 5, true, 0, 0, 77, 77, 5.0, 5.0},  // percent 0: no deviation ever
        {{20}, 255, 9, true, 9, 9, 100, 109, 10.0, 10.9},  // the bound is unsigned
        {{0, 20, 20, 13}, 5, 4, true, 1, 2, 100, 101, 10.0, 10.2},  // down, up, up, then stay / up
        {{0}, 5, 0, true, 0, 0, 77, 77, 5.0, 5.0},  // on, but never walked: the mirror values
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [seeds, percent, ticks, on, speedDeviation, fuelDeviation, speed, toSpeed, fuel, toFuel] = rows[i];
        Fluctuation f([&seeds = seeds, n = std::size_t{0}]() mutable { return seeds[std::min(n++, seeds.size() - 1)]; });
        f.Configure(on, percent);
        for (int tick = 0; tick < ticks; ++tick) f.Timer4Timer(true);
        EXPECT_EQ(std::make_pair(f.SpeedDeviationPercent(), f.FuelDeviationPercent()),
                  std::make_pair(speedDeviation, fuelDeviation)) << "row " << i;
        EXPECT_EQ(f.DeviatedSpeed(speed), toSpeed) << "row " << i;
        EXPECT_DOUBLE_EQ(f.DeviatedFuel(fuel), toFuel) << "row " << i;
    }
}

TEST(FluctuationTest, TimerWalksOnlyWhileTheTripCheckRuns) {
    EmulatorHarness h;
    h.seed = 0;  // both walks go down
    Fluctuation& f = h.emulator.GetFluctuation();
    f.Configure(true, 5);
    h.emulator.Timer4Timer();
    h.env.tripRunning = true;
    h.emulator.Timer4Timer();
    h.emulator.Timer4Timer();
    h.env.tripRunning = false;
    h.emulator.Timer4Timer();  // stopped: frozen
    EXPECT_EQ(std::make_pair(f.SpeedDeviationPercent(), f.FuelDeviationPercent()), std::make_pair(-2, -2));
    f.ResetDeviations();  // a trip check starts
    EXPECT_EQ(std::make_pair(f.SpeedDeviationPercent(), f.FuelDeviationPercent()), std::make_pair(0, 0));
}
