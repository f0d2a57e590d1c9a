// An OBD mode 01 request through the core, from the received-data event to the written
// reply: reception of the functional frame, the session gate, the PID's filling from the
// mirror texts and the framing. Target: under 2 µs a request.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "emulator/EcuEmulator.h"
#include "support/FakeEnvironment.h"
#include "protocol/KwpFrame.h"

namespace {

// Communication is started at 0x33 once; then each request arrives 100 ms after the
// previous one, in one chunk.
void RunRequest(benchmark::State& state, std::uint8_t target, std::vector<std::uint8_t> data, std::size_t replySize) {
    FakeEnvironment env;
    env.variant = EcuVariant::B7;  // an M7.9.7 with its engine running
    env.mirrors[Mirror::EngineSpeed] = "2450";
    env.mirrors[Mirror::Speed] = "87";
    env.mirrors[Mirror::FuelFlow] = "3.7";
    env.engineRunTime = std::chrono::milliseconds(125400);
    auto now = std::chrono::steady_clock::time_point{};
    EcuEmulator emulator(env, [&now] { return now; });
    emulator.Obd().Set(EcuVariant::B7, true);
    const std::uint8_t start = 0x81;
    env.looped = BuildFunctionalFrame(0x33, 0xF1, &start, 1);
    emulator.SerComm1RxChar(static_cast<int>(env.looped->size()));
    env.writtenBytes = 0;

    env.looped = target == 0x33 ? BuildFunctionalFrame(target, 0xF1, data.data(), data.size())
                                : BuildFrame(target, 0xF1, data.data(), data.size(), FrameForm::Short);
    const int size = static_cast<int>(env.looped->size());
    for (auto _ : state) {
        now += std::chrono::milliseconds(100);
        emulator.SerComm1RxChar(size);
    }
    if (env.writtenBytes != replySize * static_cast<std::size_t>(state.iterations())) {
        state.SkipWithError("a request went unanswered");
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_EngineSpeedAt33(benchmark::State& state) {
    RunRequest(state, 0x33, {0x01, 0x0C}, 8);  // C2 33 F1 01 0C F3 -> 84 F1 10 41 0C 26 48 cs
}

void BM_VehicleSpeedAt33(benchmark::State& state) {
    RunRequest(state, 0x33, {0x01, 0x0D}, 7);  // speed with the deviation rule
}

void BM_FuelRateAt33(benchmark::State& state) {
    RunRequest(state, 0x33, {0x01, 0x5E}, 8);  // a decimal mirror
}

void BM_SupportedPidsAt33(benchmark::State& state) {
    RunRequest(state, 0x33, {0x01, 0x00}, 10);  // the bit map, no mirror read
}

void BM_EngineSpeedAt10(benchmark::State& state) {
    RunRequest(state, 0x10, {0x01, 0x0C}, 8);  // at the physical address, after the manufacturer branch
}

void BM_TesterPresentAt33(benchmark::State& state) {
    RunRequest(state, 0x33, {0x3E}, 5);  // the keep-alive, for comparison
}

void BM_VinAt33(benchmark::State& state) {
    RunRequest(state, 0x33, {0x09, 0x02}, 5 * 11);  // five frames
}

}  // namespace

BENCHMARK(BM_EngineSpeedAt33);
BENCHMARK(BM_VehicleSpeedAt33);
BENCHMARK(BM_FuelRateAt33);
BENCHMARK(BM_SupportedPidsAt33);
BENCHMARK(BM_EngineSpeedAt10);
BENCHMARK(BM_TesterPresentAt33);
BENCHMARK(BM_VinAt33);
BENCHMARK_MAIN();
