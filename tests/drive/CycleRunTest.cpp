#include <gtest/gtest.h>

#include "drive/CycleCsv.h"
#include "drive/StandardCycles.h"
#include "drive/VehicleModel.h"
#include "SimulatedBench.h"

namespace {

DriveCycle FromText(const char* text) {
    CycleLoad load = ParseCycleCsv(text, "test");
    if (!load.cycle) throw std::runtime_error(load.error);
    return *load.cycle;
}

TEST(CycleRun, StandardCyclesDriveTheirDistanceWithValuesThatAgree) {
    // Cars of this class are rated 6–9 l/100 km over NEDC; WLTC asks for more.
    const std::tuple<const char*, double, double> rows[] = {{"nedc", 6, 9}, {"wltc3b", 6, 10}};
    for (const auto& [word, minConsumption, maxConsumption] : rows) {
        SCOPED_TRACE(word);
        SimulatedBench bench;
        const DriveCycle cycle = *LoadStandardCycle(word);
        const double tableKm = cycle.DistanceKm(0, static_cast<double>(cycle.DurationMs()) / 1000.0);
        double modelFuelL = 0;
        bench.Drive(cycle, EcuVariant::Ja5, 0, [&](const EngineValues& v) {
            modelFuelL += v.fuelFlowLh / 36000.0;
            // Each way a device counts fuel gives the same litres, and every value fits its control.
            EXPECT_NEAR(VehicleModel::FuelFromInjection(v.injectionMs, v.rpm), v.fuelFlowLh, 1e-9);
            EXPECT_NEAR(VehicleModel::FuelFromAirFlow(v.airFlowKgh), v.fuelFlowLh, 1e-9);
            EXPECT_TRUE(v.rpm >= VehicleModel::kIdleRpm && v.rpm <= 10000 && v.fuelFlowLh >= 0 && v.fuelFlowLh <= 40)
                << v.rpm << " rpm, " << v.fuelFlowLh << " l/h";
            EXPECT_TRUE(v.injectionMs >= 0 && v.injectionMs <= 100 && v.airFlowKgh >= 0 && v.airFlowKgh <= 100 &&
                        v.throttlePct >= 0 && v.throttlePct <= 100)
                << v.injectionMs << " ms, " << v.airFlowKgh << " kg/h, " << v.throttlePct << " %";
        });
        ASSERT_EQ(bench.run.GetState(), CycleRun::State::Finished);
        const CycleRun::References total = bench.run.Total();
        EXPECT_NEAR(total.console.distanceKm, tableKm, tableKm * 0.001);
        EXPECT_EQ(total.console.elapsedMs, cycle.DurationMs());
        const double consumption = modelFuelL * 100 / tableKm;
        EXPECT_TRUE(consumption > minConsumption && consumption < maxConsumption) << consumption;
        EXPECT_EQ(bench.run.PhasesEnded(), static_cast<int>(cycle.Phases().size()));
        double phaseKm = 0;
        for (int i = 0; i < bench.run.PhasesEnded(); ++i) {
            phaseKm += bench.run.PhaseReferences(i).console.distanceKm;
        }
        EXPECT_NEAR(phaseKm, total.console.distanceKm, 1e-9);
    }
}

TEST(CycleRun, GearsChangeWithHysteresisAndFuelIsCutOnOverrun) {
    VehicleModel model;
    EXPECT_EQ(model.Step(0, 0, 0.1).gear, 0);
    EXPECT_DOUBLE_EQ(model.Step(0, 0, 0.1).fuelFlowLh, VehicleModel::kIdleFuelLh);
    EXPECT_EQ(model.Step(19, 18, 0.1).gear, 1);
    EXPECT_EQ(model.Step(21, 20, 0.1).gear, 2);
    EXPECT_EQ(model.Step(16, 17, 0.1).gear, 2);  // between 13 and 20 the gear holds
    EXPECT_EQ(model.Step(12, 13, 0.1).gear, 1);
    const EngineValues overrun = model.Step(70, 72, 1.0);
    EXPECT_EQ(overrun.gear, 5);
    EXPECT_DOUBLE_EQ(overrun.fuelFlowLh, 0.0);
    EXPECT_GT(model.Step(70, 70, 1.0).fuelFlowLh, VehicleModel::kIdleFuelLh);
}

// A device that polls every P ms from P on holds each value until its next poll: hand
// figures for a steady 36 km/h and 6 l/h over 10 s, as each field's step carries them.
TEST(DeviceView, HoldsWhatItReceivedUntilTheNextPoll) {
    const char* steady36 = "time_s,speed_kmh,fuel_lph\n0,36,6\n10,36,6\n";
    // type, table, poll period, the speed and fuel rate the fields carry back
    const std::tuple<EcuVariant, const char*, int, double, double> cases[] = {
        {EcuVariant::Ja5, steady36, 100, 36, 6.0}, {EcuVariant::Ja5, steady36, 700, 36, 6.0},
        // B7: speed in 1.25 km/h steps (36 → 29 counts → 36.25), fuel in 1125/524288 l/h.
        {EcuVariant::B7, steady36, 700, 36.25, 2796 * 1125.0 / 524288},
    };
    for (const auto& [variant, table, pollMs, deviceKmh, deviceLh] : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(variant)) + " every " + std::to_string(pollMs) + " ms");
        SimulatedBench bench;
        bench.Drive(FromText(table), variant, pollMs);
        const double heldS = (10000.0 - pollMs) / 1000.0;  // from the first poll to the end
        const CycleRun::References total = bench.run.Total();
        EXPECT_NEAR(total.device.distanceKm, deviceKmh * heldS / 3600, 1e-9);
        EXPECT_NEAR(total.device.fuelL, deviceLh * heldS / 3600, 1e-9);
        EXPECT_NEAR(total.console.distanceKm, std::stod(bench.env.mirrors[Mirror::Speed]) * 10 / 3600, 1e-9);
        const PollRate& polls = bench.run.Device().SpeedPolls();
        EXPECT_EQ(polls.count, 10000 / pollMs - (10000 % pollMs == 0 ? 1 : 0));
        EXPECT_DOUBLE_EQ(*polls.meanMs, pollMs);
        EXPECT_DOUBLE_EQ(*polls.longestMs, pollMs);
    }
}

// Over a whole cycle B7's 1.25 km/h steps leave the device view off the console reference
// by the rounding alone, while Ja5's whole km/h carry the console's speed unchanged.
TEST(DeviceView, QuantisationCostsWhatTheFieldStepCosts) {
    for (const EcuVariant variant : {EcuVariant::Ja5, EcuVariant::B7}) {
        SimulatedBench bench;
        bench.Drive(*LoadStandardCycle("nedc"), variant, 100);
        const CycleRun::References total = bench.run.Total();
        const double offPct = (total.device.distanceKm / total.console.distanceKm - 1) * 100;
        // Ja5: only the 100 ms before the first poll; B7: a step of 1.25 rounds by at most 0.625 km/h
        EXPECT_LT(std::fabs(offPct), variant == EcuVariant::Ja5 ? 0.02 : 0.7);
        EXPECT_TRUE(variant == EcuVariant::Ja5 || std::fabs(offPct) > 0.02) << offPct;
    }
}

// OBD replies carry speed (41 0D, whole km/h) and fuel rate (41 5E, 0.05 l/h, high byte
// first) apart, each held on its own; a reply with neither is no poll. Bosch MP7.0's block has
// no fuel field: its fuel is counted from the injection time and rpm the block carries.
TEST(DeviceView, ObdPidsApartAndTheBlockWithoutAFuelField) {
    DeviceView view;
    view.Start(0);
    auto send = [&](std::int64_t ms, std::vector<std::uint8_t> data, EcuVariant variant) {
        const auto frame = BuildFrame(0xF1, 0x10, data.data(), data.size(), FrameForm::BySize);
        view.ReplySent(ms, variant, frame.data(), frame.size());
    };
    send(0, {0x41, 0x0D, 0x3C}, EcuVariant::B7);        // 60 km/h
    send(0, {0x41, 0x5E, 0x01, 0x2C}, EcuVariant::B7);  // 300 / 20 = 15 l/h
    send(1800, {0x41, 0x0D, 0x00}, EcuVariant::B7);
    send(2000, {0x41, 0x0C, 0x0E, 0x10}, EcuVariant::B7);  // rpm only
    const TripTotals obd = view.TotalsAt(3600);
    EXPECT_NEAR(obd.distanceKm, 0.030, 1e-12);
    EXPECT_NEAR(obd.fuelL, 0.015, 1e-12);
    EXPECT_EQ(view.SpeedPolls().count, 2);
    EXPECT_EQ(view.FuelPolls().count, 1);
    EXPECT_EQ(view.Replies(), 3);

    SimulatedBench bench;
    bench.env.mirrors[Mirror::EngineSpeed] = "900";   // 22.5 counts of 40 rpm: 22, read as 880
    bench.env.mirrors[Mirror::Injection] = "2.60";    // 108.3 counts of 24 µs: 108, read as 2.592 ms
    view.Start(0);
    const auto block = BuildLiveDataBlock(*LiveDataLayout(0x01, EcuVariant::BMP), LiveValues(bench.env, bench.fluctuation));
    send(0, block, EcuVariant::BMP);
    EXPECT_NEAR(view.TotalsAt(3600000).fuelL, VehicleModel::FuelFromInjection(2.592, 880), 1e-9);
}

TEST(Verdict, TolerancesHoldAtTheirEdges) {
    const TripTotals device{10.0, 1.0, 600000};
    const TripTotals console{10.05, 1.01, 600000};
    const std::tuple<double, double, Tolerances, VerdictState> cases[] = {  // km, l entered
        {10.1, 1.02, {}, VerdictState::Pass},        {9.9, 0.98, {}, VerdictState::Pass},
        {10.1001, 1.0, {}, VerdictState::Fail},      {10.0, 1.0201, {}, VerdictState::Fail},
        {9.8999, 1.0, {}, VerdictState::Fail},       {10.05, 1.0, {0.5, 2}, VerdictState::Pass},
        {10.0501, 1.0, {0.5, 2}, VerdictState::Fail}, {10.0, 1.05, {1, 5}, VerdictState::Pass},
    };
    for (const auto& [km, l, tolerances, state] : cases) {
        SCOPED_TRACE(std::to_string(km) + " km " + std::to_string(l) + " l");
        const Verdict v = JudgeFigures({km, l, 60.0, 10.0, 600.0}, device, console, tolerances);
        EXPECT_EQ(v.state, state) << v.reason;
        ASSERT_EQ(v.checks.size(), 5u);
        EXPECT_NEAR(*v.checks[0].errorVsDevicePct, (km - 10.0) * 10, 1e-9);
        EXPECT_NEAR(*v.checks[0].errorVsConsolePct, (km / 10.05 - 1) * 100, 1e-9);
        EXPECT_NEAR(*v.checks[3].errorVsDevicePct, 0.0, 1e-9);  // 1 l over 10 km is 10 l/100 km
    }
}

TEST(Verdict, SaysWhyWhenThereIsNoPassOrFail) {
    const char* table = "time_s,speed_kmh\n0,0\n5,36\n10,36\n";
    const std::vector<CyclePhase> halves{{"first", 0, 5}, {"second", 5, 10}};
    SimulatedBench bench;
    bench.run.Start(DriveCycle("halves", FromText(table).Rows(), halves), 0);
    EXPECT_EQ(bench.run.CurrentVerdict().state, VerdictState::NoFigures);
    bench.run.Enter(EnteredFigures{1, 1, {}, {}, {}});
    EXPECT_EQ(bench.run.CurrentVerdict().state, VerdictState::Running);
    bench.run.Tick(6000);
    bench.run.Enter(EnteredFigures{0, 0, {}, {}, {}});
    EXPECT_EQ(bench.run.CurrentVerdict().state, VerdictState::NoReplies);
    EXPECT_EQ(bench.run.CurrentVerdict().against, "phase first");
    bench.run.Stop(7000);
    bench.run.Enter(EnteredFigures{0, 0, {}, {}, {}});
    EXPECT_EQ(bench.run.CurrentVerdict().state, VerdictState::StoppedEarly);

    bench.Drive(DriveCycle("halves", FromText(table).Rows(), halves), EcuVariant::Ja5, 500);
    const TripTotals device = bench.run.Total().device;
    bench.run.Enter(EnteredFigures{device.distanceKm, device.fuelL, {}, {}, {}});
    EXPECT_EQ(bench.run.CurrentVerdict().state, VerdictState::Pass);
    EXPECT_EQ(bench.run.CurrentVerdict().against, "cycle");
}

}  // namespace
