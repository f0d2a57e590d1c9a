#include <gtest/gtest.h>

#include <numeric>

#include "drive/CycleCsv.h"
#include "drive/StandardCycles.h"

namespace {

TEST(StandardCycles, EachTableDrivesItsPublishedDurationDistanceAndPhases) {
    // The published figures of each cycle: duration s, distance km, and each phase's end s and km.
    using Phases = std::vector<std::pair<double, double>>;
    const std::tuple<const char*, double, double, Phases> published[] = {
        {"nedc", 1180, 11.013, {{780, 4.058}, {1180, 6.955}}},
        {"WLTC2", 1800, 22.649, {{589, 3.101}, {1022, 4.737}, {1477, 6.792}, {1800, 8.019}}},
        {"wltc3b", 1800, 23.266, {{589, 3.095}, {1022, 4.756}, {1477, 7.162}, {1800, 8.254}}},
    };
    for (const auto& [word, durationS, distanceKm, phases] : published) {
        SCOPED_TRACE(word);
        const auto cycle = LoadStandardCycle(word);
        ASSERT_TRUE(cycle);
        EXPECT_EQ(cycle->DurationMs(), static_cast<std::int64_t>(durationS * 1000));
        const double rowSum = std::accumulate(cycle->Rows().begin(), cycle->Rows().end(), 0.0,
                                              [](double s, const CycleRow& r) { return s + r.speedKmh; });
        EXPECT_NEAR(rowSum / 3600.0, distanceKm, 0.0005);
        EXPECT_NEAR(cycle->DistanceKm(0, durationS), distanceKm, 0.0005);
        ASSERT_EQ(cycle->Phases().size(), phases.size());
        double start = 0;
        for (std::size_t i = 0; i < phases.size(); ++i) {
            EXPECT_EQ(cycle->Phases()[i].endS, phases[i].first);
            EXPECT_NEAR(cycle->DistanceKm(start, phases[i].first), phases[i].second, 0.0015);
            EXPECT_EQ(cycle->PhaseAt(static_cast<std::int64_t>(start * 1000)), static_cast<int>(i));
            start = phases[i].first;
        }
    }
    EXPECT_FALSE(LoadStandardCycle("ftp75"));
}

TEST(CycleCsv, ABadFileIsRefusedWithItsLineAndReason) {
    const std::pair<const char*, const char*> bad[] = {
        {"", "line 1: no header"}, {"speed_kmh,time_s\n0,0\n", "line 1: the header must begin with time_s,speed_kmh"},
        {"time_s,speed_kmh,boost\n", "line 1: unknown column \"boost\""}, {"time_s,speed_kmh\n1,0\n2,0\n", "line 2: the first row"},
        {"time_s,speed_kmh,rpm,rpm\n", "line 1: column rpm twice"}, {"time_s,speed_kmh\n0,0\n", "line 2: a cycle needs"},
        {"time_s,speed_kmh\n0,0\n\n1,x\n", "line 4: speed_kmh \"x\" is not a number"},
        {"time_s,speed_kmh\n0,0\n5,10\n5,20\n", "line 4: time 5 does not follow 5"},
        {"time_s,speed_kmh\n0,0\n1,251\n", "line 3: speed_kmh 251 is outside 0…250 km/h"},
        {"time_s,speed_kmh,fuel_lph\n0,0,1\n1,10\n", "line 3: 2 cells, the header has 3"},
        {"time_s,speed_kmh,coolant_c\n0,0,-41\n", "line 2: coolant_c -41 is outside -40…160"},
    };
    for (const auto& [text, error] : bad) {
        const CycleLoad load = ParseCycleCsv(text, "mine");
        EXPECT_FALSE(load.cycle) << text;
        EXPECT_EQ(load.error.rfind(error, 0), 0u) << text << ": " << load.error;
    }
}

TEST(CycleCsv, ExtraColumnsLoadInAnyOrderAndInterpolate) {
    const CycleLoad load = ParseCycleCsv("time_s,speed_kmh,throttle_pct,fuel_lph\r\n0,0,0,1\r\n10,50,20,5\r\n", "mine");
    ASSERT_TRUE(load.cycle) << load.error;
    EXPECT_TRUE(load.cycle->Has(CycleColumn::FuelFlow));
    EXPECT_FALSE(load.cycle->Has(CycleColumn::Rpm));
    EXPECT_DOUBLE_EQ(load.cycle->SpeedAt(4000), 20.0);
    EXPECT_DOUBLE_EQ(load.cycle->ValueAt(CycleColumn::FuelFlow, 5000), 3.0);
    EXPECT_DOUBLE_EQ(load.cycle->ValueAt(CycleColumn::Throttle, 20000), 20.0);
    ASSERT_EQ(load.cycle->Phases().size(), 1u);
    EXPECT_EQ(load.cycle->Phases()[0].name, "mine");
}

}  // namespace
