// Reception, dispatch and framing of one request, from the received-data event to the
// written reply. Target: well under 10 µs a request.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "emulator/EcuEmulator.h"
#include "support/FakeEnvironment.h"

namespace {

// Communication is started once; then each request arrives 100 ms after the previous
// one, as from a tester, in one chunk or cut into three.
void RunRequest(benchmark::State& state, std::vector<std::uint8_t> request, std::size_t replySize) {
    FakeEnvironment env;
    auto now = std::chrono::steady_clock::time_point{};
    EcuEmulator emulator(env, [&now] { return now; });
    env.looped = FakeEnvironment::Bytes{0x81, 0x10, 0xF1, 0x81, 0x03};
    emulator.SerComm1RxChar(static_cast<int>(env.looped->size()));
    env.writtenBytes = 0;

    const bool split = state.range(0) != 0;
    env.looped = request;
    const int size = static_cast<int>(env.looped->size());
    for (auto _ : state) {
        now += std::chrono::milliseconds(100);
        if (split) {
            // Pieces of 2, 1 and the rest, 5 ms apart.
            env.looped = FakeEnvironment::Bytes(request.begin(), request.begin() + 2);
            emulator.SerComm1RxChar(2);
            now += std::chrono::milliseconds(5);
            env.looped = FakeEnvironment::Bytes(request.begin() + 2, request.begin() + 3);
            emulator.SerComm1RxChar(1);
            now += std::chrono::milliseconds(5);
            env.looped = FakeEnvironment::Bytes(request.begin() + 3, request.end());
            emulator.SerComm1RxChar(size - 3);
        } else {
            emulator.SerComm1RxChar(size);
        }
    }
    if (env.writtenBytes != replySize * static_cast<std::size_t>(state.iterations())) {
        state.SkipWithError("a request went unanswered");
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_StartCommunication(benchmark::State& state) {
    RunRequest(state, {0x81, 0x10, 0xF1, 0x81, 0x03}, 7);  // 81 -> 83 F1 10 C1 6B 8F 3F
}

void BM_TesterPresent(benchmark::State& state) {
    RunRequest(state, {0x81, 0x10, 0xF1, 0x3E, 0xC0}, 5);  // 3E -> 81 F1 10 7E 00
}

}  // namespace

BENCHMARK(BM_StartCommunication)->Arg(0)->Arg(1)->ArgName("split");
BENCHMARK(BM_TesterPresent)->Arg(0)->Arg(1)->ArgName("split");
BENCHMARK_MAIN();
