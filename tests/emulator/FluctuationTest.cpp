#include <algorithm>
#include <limits>

#include "support/EmulatorHarness.h"
#include "emulator/Fluctuation.h"

// Seeds whose two draws after re-seeding are: 0 (0, 3) both down; 20 (62, 62) both up;
// 22 (69, 28) speed up, fuel down; 13 (40, 81) speed stays, fuel up.
TEST(FluctuationTest, KnownSeedsGiveAKnownWalkAndDeviatedValues) {
    constexpr long long kMax = std::numeric_limits<long long>::max();
    constexpr long long kMin = std::numeric_limits<long long>::min();
    struct Row {
        std::vector<std::uint32_t> seeds;  // one per step, the last one for ever
        std::uint8_t percent;
        int ticks;
        bool enabled;
        int speedDeviation, fuelDeviation;
        long long speed, reportedSpeed;
        double fuel, reportedFuel;
    };
    const Row rows[] = {
        {{0}, 5, 7, true, -5, -5, 60, 57, 10.0, 9.5},  // held at the bound; 60 − 3
        {{0}, 5, 7, false, -5, -5, 60, 60, 10.0, 10.0},  // walked but not applied
        {{20}, 5, 9, true, 5, 5, 50, 52, 10.0, 10.5},  // 50 + R(2.5): half to even
        {{20}, 5, 5, true, 5, 5, 30, 32, 1.0, 1.05},   // 30 + R(1.5)
        {{20}, 5, 5, true, 5, 5, kMax, kMax, 1.0, 1.05},
        {{20}, 5, 5, true, 5, 5, kMin, kMin, 1.0, 1.05},
        {{22}, 5, 2, true, 2, -2, 100, 102, 10.0, 9.8},
        {{13}, 5, 1, true, 0, 1, 100, 100, 10.0, 10.1},
        {{20}, 0, 5, true, 0, 0, 77, 77, 5.0, 5.0},  // percent 0: no deviation ever
        {{20}, 1, 3, true, 1, 1, 100, 101, 10.0, 10.1},
        {{20}, 255, 9, true, 9, 9, 100, 109, 10.0, 10.9},  // the bound is unsigned
        {{0, 20, 20, 13}, 5, 4, true, 1, 2, 100, 101, 10.0, 10.2},  // down, up, up, then stay / up
        {{0}, 5, 0, true, 0, 0, 77, 77, 5.0, 5.0},  // on, but never walked: the mirror values
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        Fluctuation f([&row, n = std::size_t{0}]() mutable { return row.seeds[std::min(n++, row.seeds.size() - 1)]; });
        f.Configure(row.enabled, row.percent);
        for (int tick = 0; tick < row.ticks; ++tick) f.Timer4Timer(true);
        EXPECT_EQ(f.SpeedDeviationPercent(), row.speedDeviation) << "row " << i;
        EXPECT_EQ(f.FuelDeviationPercent(), row.fuelDeviation) << "row " << i;
        EXPECT_EQ(f.DeviatedSpeed(row.speed), row.reportedSpeed) << "row " << i;
        EXPECT_DOUBLE_EQ(f.DeviatedFuel(row.fuel), row.reportedFuel) << "row " << i;
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
    EXPECT_EQ(f.SpeedDeviationPercent(), -2);
    EXPECT_EQ(f.FuelDeviationPercent(), -2);
    f.ResetDeviations();  // a trip check starts
    EXPECT_EQ(f.SpeedDeviationPercent(), 0);
    EXPECT_EQ(f.FuelDeviationPercent(), 0);
}
