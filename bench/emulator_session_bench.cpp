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

namespace {

// A port that hands over the same request on every read and counts what is written; the
// console values are fixed, the log is dropped.
class LoopEnvironment : public EcuEnvironment {
public:
    void SetRequest(std::vector<std::uint8_t> request) { request_ = std::move(request); }
    int Size() const { return static_cast<int>(request_.size()); }
    std::size_t written = 0;

    int ReadBuf(std::uint8_t* buffer, int count) override {
        const int n = std::min(count, Size());
        std::memcpy(buffer, request_.data(), static_cast<std::size_t>(n));
        return n;
    }
    int WriteBuf(const std::uint8_t* buffer, int count) override {
        benchmark::DoNotOptimize(buffer);
        written += static_cast<std::size_t>(count);
        return count;
    }
    bool IgnitionOn() const override { return true; }
    EcuVariant Variant() const override { return EcuVariant::Ja5; }
    std::string MirrorText(Mirror) const override { return "0"; }
    NumberFormat MirrorNumberFormat() const override { return {}; }
    std::string IdentificationText(IdentField) const override { return {}; }
    int TroubleCodeItemCount() const override { return 0; }
    std::string TroubleCodeItemText(int) const override { return {}; }
    bool TroubleCodeTicked(int) const override { return false; }
    bool TripCheckRunning() const override { return false; }
    std::optional<std::chrono::milliseconds> EngineRunTime() const override { return std::nullopt; }
    void ClearTroubleCodes() override {}
    void SetLamp(Lamp, bool) override {}
    void AppendLog(const std::string& line) override { benchmark::DoNotOptimize(line.data()); }
    void EnableResetTimer() override {}

private:
    std::vector<std::uint8_t> request_;
};

// Communication is started once; then each request arrives 100 ms after the previous
// one, as from a tester, in one chunk or cut into three.
void RunRequest(benchmark::State& state, std::vector<std::uint8_t> request, std::size_t replySize) {
    LoopEnvironment env;
    auto now = std::chrono::steady_clock::time_point{};
    EcuEmulator emulator(env, [&now] { return now; });
    env.SetRequest({0x81, 0x10, 0xF1, 0x81, 0x03});
    emulator.SerComm1RxChar(env.Size());
    env.written = 0;

    const bool split = state.range(0) != 0;
    env.SetRequest(request);
    const int size = env.Size();
    for (auto _ : state) {
        now += std::chrono::milliseconds(100);
        if (split) {
            // Pieces of 2, 1 and the rest, 5 ms apart.
            env.SetRequest({request.begin(), request.begin() + 2});
            emulator.SerComm1RxChar(2);
            now += std::chrono::milliseconds(5);
            env.SetRequest({request.begin() + 2, request.begin() + 3});
            emulator.SerComm1RxChar(1);
            now += std::chrono::milliseconds(5);
            env.SetRequest({request.begin() + 3, request.end()});
            emulator.SerComm1RxChar(size - 3);
        } else {
            emulator.SerComm1RxChar(size);
        }
    }
    if (env.written != replySize * static_cast<std::size_t>(state.iterations())) {
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
