#include <gtest/gtest.h>

#include "QtPrinters.h"

#include "console/SpeedCurve.h"
#include "console/TripCheck.h"

namespace {

// A check on a clock that the test moves by hand.
struct ClockedCheck {
    std::int64_t now = 5'000'000;  // any start: only differences count
    TripCheck check{[this] { return now; }};

    std::optional<TripReading> TickAfter(std::int64_t ms, const TripInputs& in) {
        now += ms;
        return check.Tick(in);
    }
};

TripInputs Driving(long long speed, double fuel) {
    TripInputs in;
    in.ignitionOn = true;
    in.speedKmh = speed;
    in.fuelFlowLh = fuel;
    return in;
}

}  // namespace

TEST(TripCheck, SixtySecondsAtSixtyKmh) {
    ClockedCheck c;
    c.check.Start();
    std::optional<TripReading> r;
    for (int i = 0; i < 600; ++i) {
        r = c.TickAfter(100, Driving(60, 6.0));
    }
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->distanceKm, 1.0, 1e-9);
    EXPECT_NEAR(r->fuelL, 0.1, 1e-9);
    EXPECT_NEAR(*r->averageSpeedKmh, 60.0, 1e-9);
    EXPECT_NEAR(*r->averageConsumption, 10.0, 1e-9);
    EXPECT_EQ(TripCheck::ElapsedText(r->elapsedMs), "0:01:00");
}

TEST(TripCheck, CountsOnlyWhileRunningWithIgnitionAndCatchesUpAfterAPause) {
    ClockedCheck c;
    EXPECT_FALSE(c.TickAfter(100, Driving(60, 6.0)));  // not started
    c.check.Start();
    TripInputs off = Driving(60, 6.0);
    off.ignitionOn = false;
    EXPECT_FALSE(c.TickAfter(30'000, off));
    // The 30 s pause and this 30 s count at this tick, with the speed read now.
    const auto r = c.TickAfter(30'000, Driving(120, 6.0));
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->distanceKm, 2.0, 1e-9);
    c.check.Stop();
    EXPECT_FALSE(c.TickAfter(100, Driving(60, 6.0)));
}

TEST(TripCheck, StandingStillKeepsAverageConsumptionOpenWhileFuelAccumulates) {
    ClockedCheck c;
    c.check.Start();
    const auto r = c.TickAfter(36'000, Driving(0, 1.0));
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->fuelL, 0.01, 1e-12);
    EXPECT_FALSE(r->averageConsumption.has_value());
    EXPECT_EQ(*r->averageSpeedKmh, 0.0);
}

TEST(TripCheck, NoTimeElapsedGivesNoAverageSpeed) {
    ClockedCheck c;
    c.check.Start();
    const auto r = c.TickAfter(0, Driving(60, 6.0));
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->averageSpeedKmh.has_value());
}

TEST(TripCheck, DeviationsApplyOnlyWithFluctuationOn) {
    struct Row {
        bool enabled;
        int speedDev, fuelDev;
        double distance, fuel;  // after one hour at 101 km/h and 5 l/h
    };
    const Row rows[] = {
        {false, 3, -2, 101.0, 5.0},
        {true, 3, -2, 101.0 + 3.03, 4.9},  // 101 × 3 / 100 is not rounded
        {true, 0, 0, 101.0, 5.0},
    };
    for (const Row& row : rows) {
        ClockedCheck c;
        c.check.Start();
        TripInputs in = Driving(101, 5.0);
        in.fluctuationEnabled = row.enabled;
        in.speedDeviationPercent = row.speedDev;
        in.fuelDeviationPercent = row.fuelDev;
        const auto r = c.TickAfter(3'600'000, in);
        ASSERT_TRUE(r);
        EXPECT_NEAR(r->distanceKm, row.distance, 1e-9);
        EXPECT_NEAR(r->fuelL, row.fuel, 1e-9);
    }
}

TEST(TripCheck, ElapsedTextHoursDoNotWrap) {
    EXPECT_EQ(TripCheck::ElapsedText(0), "0:00:00");
    EXPECT_EQ(TripCheck::ElapsedText(3'723'999), "1:02:03");
    EXPECT_EQ(TripCheck::ElapsedText(25LL * 3'600'000), "25:00:00");  // across midnight
}

TEST(SpeedCurve, PointsAlongTheCycle) {
    struct Row {
        std::uint16_t tick;
        float speed, fuel;
    };
    const Row rows[] = {{1, 5, 20},   {9, 5, 20},   {10, 10, 20}, {79, 60, 20}, {80, 60, 8},   {599, 60, 8},
                        {600, 30, 0}, {610, 0, 0},  {619, 0, 0},  {620, 0, 0.8f}, {700, 0, 0.8f}};
    for (const Row& r : rows) {
        const CurvePoint p = SpeedCurve::PointAt(r.tick);
        EXPECT_EQ(p.speedKmh, r.speed) << r.tick;
        EXPECT_EQ(p.fuelFlowLh, r.fuel) << r.tick;
    }
}

TEST(SpeedCurve, StepsWrapAfterSeventySeconds) {
    SpeedCurve curve;
    for (int i = 0; i < 699; ++i) {
        curve.Step();
    }
    EXPECT_EQ(curve.CurveTick(), 699);
    EXPECT_EQ(curve.Step().fuelFlowLh, 0.8f);
    EXPECT_EQ(curve.CurveTick(), 0);
    EXPECT_EQ(curve.Step().speedKmh, 5.0f);
    EXPECT_EQ(curve.CurveTick(), 1);
}
