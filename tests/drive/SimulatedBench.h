#pragma once

#include <cstdio>
#include <functional>

#include "drive/CycleRun.h"
#include "emulator/Fluctuation.h"
#include "protocol/KwpFrame.h"
#include "emulator/LiveDataBlocks.h"
#include "protocol/LiveBlockLayout.h"
#include "emulator/LiveValues.h"
#include "emulator/Rounding.h"
#include "support/FakeEnvironment.h"

// A cycle driven on a clock of its own: each 100 ms tick sets the console's mirrors as the
// controls would (speed to whole km/h, fuel flow to 0.1 l/h), counts the trip check, and a
// device polls 21 01 every `pollMs` and gets the block the emulator builds from the mirrors.
struct SimulatedBench {
    FakeEnvironment env;
    Fluctuation fluctuation;
    CycleRun run;
    TripTotals trip;
    std::int64_t now = 0;

    static std::string Decimal(double value, int decimals) {
        char text[32];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        return text;
    }

    void Set(const EngineValues& v) {
        // The speed dial's grid is 0.25 km/h, the fuel slider's 0.04 l/h.
        env.mirrors[Mirror::Speed] = std::to_string(RoundHalfEven(std::round(v.speedKmh * 4) / 4));
        env.mirrors[Mirror::FuelFlow] = Decimal(std::round(v.fuelFlowLh * 25) / 25, 1);
        env.mirrors[Mirror::EngineSpeed] = std::to_string(RoundHalfEven(v.rpm));
        env.mirrors[Mirror::Injection] = Decimal(v.injectionMs, 2);
        env.mirrors[Mirror::AirFlow] = Decimal(v.airFlowKgh, 1);
    }

    void Poll(EcuVariant variant) {
        const auto block = BuildLiveDataBlock(*LiveDataLayout(0x01, variant), LiveValues(env, fluctuation));
        const std::vector<std::uint8_t> frame = BuildFrame(0xF1, 0x10, block.data(), block.size(), FrameForm::BySize);
        run.ReplySent(now, variant, frame.data(), frame.size());
    }

    // Drives the whole cycle; `each` sees every tick's values.
    void Drive(DriveCycle cycle, EcuVariant variant, int pollMs,
               const std::function<void(const EngineValues&)>& each = [](const EngineValues&) {}) {
        now = 0;
        trip = {};
        run.Start(std::move(cycle), now);
        while (run.GetState() == CycleRun::State::Running) {
            now += 100;
            const auto values = run.Tick(now);
            each(*values);
            Set(*values);
            trip.Add(std::stod(env.mirrors[Mirror::Speed]), std::stod(env.mirrors[Mirror::FuelFlow]), 100);
            run.ConsoleCounted(trip);
            if (pollMs > 0 && now % pollMs == 0) Poll(variant);
        }
    }
};
