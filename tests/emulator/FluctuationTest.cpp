#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "emulator/EmulatorHarness.h"
#include "emulator/Fluctuation.h"

namespace {

// A seed source handing out the given seeds in turn, the last one for ever.
Fluctuation::SeedSource Seeds(std::vector<std::uint32_t> seeds) {
    return [seeds, i = std::size_t{0}]() mutable { return seeds[std::min(i++, seeds.size() - 1)]; };
}

Fluctuation Walked(std::vector<std::uint32_t> seeds, std::uint8_t percent, int ticks, bool enabled = true) {
    Fluctuation f(Seeds(std::move(seeds)));
    f.Configure(enabled, percent);
    for (int i = 0; i < ticks; ++i) f.Timer4Timer(true);
    return f;
}

// Seeds whose two draws after re-seeding are: 0 (0, 3) both down; 20 (62, 62) both up;
// 22 (69, 28) speed up, fuel down; 13 (40, 81) speed stays, fuel up.
TEST(FluctuationTest, KnownSeedsGiveAKnownWalk) {
    struct Row {
        std::vector<std::uint32_t> seeds;
        std::uint8_t percent;
        int ticks;
        int speed, fuel;
    };
    const std::vector<Row> rows = {
        {{0}, 5, 3, -3, -3},
        {{0}, 5, 7, -5, -5},  // held at the bound
        {{20}, 5, 4, 4, 4},
        {{20}, 5, 9, 5, 5},
        {{22}, 5, 2, 2, -2},
        {{13}, 5, 1, 0, 1},
        {{20}, 0, 5, 0, 0},   // percent 0: no deviation ever
        {{0, 20, 20, 13}, 5, 4, 1, 2},  // down, up, up, then speed stays, fuel up
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const Fluctuation f = Walked(row.seeds, row.percent, row.ticks);
        EXPECT_EQ(f.SpeedDeviationPercent(), row.speed) << "row " << i;
        EXPECT_EQ(f.FuelDeviationPercent(), row.fuel) << "row " << i;
    }
}

TEST(FluctuationTest, WalkStepsByOneWithinTheBound) {
    std::mt19937 rng(7);
    for (const std::uint8_t percent : {0, 1, 5, 255}) {
        Fluctuation f([&rng] { return static_cast<std::uint32_t>(rng()); });
        f.Configure(true, percent);
        int speed = 0, fuel = 0;
        for (int tick = 1; tick <= 2000; ++tick) {
            f.Timer4Timer(true);
            EXPECT_LE(std::abs(f.SpeedDeviationPercent() - speed), 1);
            EXPECT_LE(std::abs(f.FuelDeviationPercent() - fuel), 1);
            speed = f.SpeedDeviationPercent();
            fuel = f.FuelDeviationPercent();
            ASSERT_LE(std::abs(speed), std::min<int>(percent, tick)) << int(percent) << " tick " << tick;
            ASSERT_LE(std::abs(fuel), std::min<int>(percent, tick)) << int(percent) << " tick " << tick;
        }
    }
}

TEST(FluctuationTest, DeviationsApplyToSpeedAndFuel) {
    constexpr long long kMax = std::numeric_limits<long long>::max();
    constexpr long long kMin = std::numeric_limits<long long>::min();
    struct Row {
        std::uint32_t seed;  // 0 walks both down, 20 both up
        int ticks;
        bool enabled;
        long long speed, reportedSpeed;
        double fuel, reportedFuel;
    };
    const std::vector<Row> rows = {
        {0, 5, true, 60, 57, 10.0, 9.5},    // -5: 60 - 3
        {20, 5, true, 50, 52, 10.0, 10.5},  // +5: 50 + R(2.5) = 52, half to even
        {20, 5, true, 30, 32, 0.0, 0.0},    // +5: 30 + R(1.5) = 32
        {0, 3, true, 0, 0, 10.0, 9.7},      // -3
        {0, 5, false, 60, 60, 10.0, 10.0},  // walked but not applied
        {20, 5, true, kMax, kMax, 1.0, 1.05},
        {20, 5, true, kMin, kMin, 1.0, 1.05},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const Fluctuation f = Walked({row.seed}, 5, row.ticks, row.enabled);
        EXPECT_EQ(f.DeviatedSpeed(row.speed), row.reportedSpeed) << "row " << i;
        EXPECT_DOUBLE_EQ(f.DeviatedFuel(row.fuel), row.reportedFuel) << "row " << i;
    }
}

TEST(FluctuationTest, TimerWalksOnlyWhileTheTripCheckRuns) {
    FakeEnvironment env;
    EcuEmulator emulator(env, std::chrono::steady_clock::now, Seeds({0}));
    emulator.GetFluctuation().Configure(true, 5);
    emulator.Timer4Timer();
    EXPECT_EQ(emulator.GetFluctuation().SpeedDeviationPercent(), 0);

    env.tripRunning = true;
    emulator.Timer4Timer();
    emulator.Timer4Timer();
    EXPECT_EQ(emulator.GetFluctuation().SpeedDeviationPercent(), -2);
    env.tripRunning = false;
    emulator.Timer4Timer();  // stopped: frozen
    EXPECT_EQ(emulator.GetFluctuation().FuelDeviationPercent(), -2);

    emulator.GetFluctuation().ResetDeviations();
    EXPECT_EQ(emulator.GetFluctuation().SpeedDeviationPercent(), 0);
    EXPECT_EQ(emulator.GetFluctuation().FuelDeviationPercent(), 0);
}

}  // namespace
