#include <gtest/gtest.h>
#include <tuple>

#include "support/QtPrinters.h"

#include "driveview/SpeedCurve.h"
#include "console/TripCheck.h"

namespace {

TripInputs Driving(long long speed, double fuel, bool ignition = true) {
    TripInputs in;
    in.ignitionOn = ignition;
    in.speedKmh = speed;
    in.fuelFlowLh = fuel;
    return in;
}

// 101 km/h at 5 l/h, the speed read 3 % high and the fuel 2 % low when the deviations are on.
TripInputs Fluctuating(bool enabled) {
    TripInputs in = Driving(101, 5.0);
    in.fluctuationEnabled = enabled;
    in.speedDeviationPercent = 3;
    in.fuelDeviationPercent = -2;
    return in;
}

// A reading as "distance fuel average-speed average-consumption", "-" for no average.
std::string Text(const std::optional<TripReading>& r) {
    if (!r) return "none";
    auto number = [](std::optional<double> v) { return v ? QString::number(*v, 'f', 4).toStdString() : "-"; };
    return number(r->distanceKm) + " " + number(r->fuelL) + " " + number(r->averageSpeedKmh) + " " +
           number(r->averageConsumption);
}

}  // namespace

// The paths of a tick; the trip check on the window runs with the cycle test there.
TEST(TripCheck, TicksCountFromThePreviousCountedTick) {
    // what, started, the ticks (ms since the previous one, the inputs), the last reading
    using Ticks = std::vector<std::pair<std::int64_t, TripInputs>>;
    const std::tuple<const char*, bool, Ticks, const char*> rows[] = {
        {"not started", false, {{100, Driving(60, 6.0)}}, "none"},
        {"a minute at 60 km/h and 6 l/h", true, {{60'000, Driving(60, 6.0)}}, "1.0000 0.1000 60.0000 10.0000"},
        {"ignition off", true, {{30'000, Driving(60, 6.0, false)}}, "none"},
        // the 30 s pause and the next 30 s count at one tick, with the speed read then
        {"pause caught up", true, {{30'000, Driving(60, 6.0, false)}, {30'000, Driving(120, 6.0)}},
         "2.0000 0.1000 120.0000 5.0000"},
        {"standing still", true, {{36'000, Driving(0, 1.0)}}, "0.0000 0.0100 0.0000 -"},
        {"no time passed", true, {{0, Driving(60, 6.0)}}, "0.0000 0.0000 - -"},
        {"deviations off", true, {{3'600'000, Fluctuating(false)}}, "101.0000 5.0000 101.0000 4.9505"},
        // 101 × 3 / 100 is not rounded: 104.03 km, and 4.9 / 104.03 × 100
        {"deviations on", true, {{3'600'000, Fluctuating(true)}}, "104.0300 4.9000 104.0300 4.7102"},
    };
    for (const auto& [what, started, ticks, last] : rows) {
        std::int64_t now = 5'000'000;  // any start: only differences count
        TripCheck check([&now] { return now; });
        if (started) check.Start();
        std::optional<TripReading> r;
        for (const auto& [ms, in] : ticks) {
            now += ms;
            r = check.Tick(in);
        }
        EXPECT_EQ(Text(r), last) << what;
        check.Stop();
        now += 100;
        EXPECT_FALSE(check.Tick(Driving(60, 6.0))) << what << ": counted after the stop";
    }
}

TEST(TripCheck, ElapsedTextHoursDoNotWrap) {
    EXPECT_EQ(TripCheck::ElapsedText(3'723'999), "1:02:03");
    EXPECT_EQ(TripCheck::ElapsedText(25LL * 3'600'000), "25:00:00");  // across midnight
}

TEST(SpeedCurve, PointsAlongTheCycleAndTheWrap) {
    const std::tuple<std::uint16_t, float, float> rows[] = {  // a tick, and the speed and fuel flow there
        {1, 5, 20}, {9, 5, 20}, {10, 10, 20}, {79, 60, 20}, {80, 60, 8}, {599, 60, 8},
        {600, 30, 0}, {610, 0, 0}, {619, 0, 0}, {620, 0, 0.8f}, {700, 0, 0.8f}};
    for (const auto& [tick, speed, fuel] : rows) {
        EXPECT_EQ(SpeedCurve::PointAt(tick).speedKmh, speed) << tick;
        EXPECT_EQ(SpeedCurve::PointAt(tick).fuelFlowLh, fuel) << tick;
    }
    SpeedCurve curve;
    for (int i = 0; i < 699; ++i) curve.Step();
    EXPECT_EQ(curve.Step().fuelFlowLh, 0.8f);
    EXPECT_EQ(curve.CurveTick(), 0);  // seventy seconds on: round again
    EXPECT_EQ(curve.Step().speedKmh, 5.0f);
    EXPECT_EQ(curve.CurveTick(), 1);
}
