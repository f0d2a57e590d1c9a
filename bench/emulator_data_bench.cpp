// Building and framing the largest data replies: the Bosch M7.9.7 live block (74 bytes,
// long form) and the trouble-code reply with 84 codes (254 bytes). Target: under 20 µs each.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>

#include "emulator/DataServices.h"
#include "emulator/ResponseFramer.h"
#include "emulator/TroubleCodeList.h"

namespace {

// A console with fixed values in a Russian locale and a port that discards every frame.
class DiscardingEnvironment : public EcuEnvironment {
public:
    explicit DiscardingEnvironment(int ticked) : ticked_(ticked) {}
    std::size_t lastFrame = 0;

    int ReadBuf(std::uint8_t*, int) override { return 0; }
    int WriteBuf(const std::uint8_t* buffer, int count) override {
        benchmark::DoNotOptimize(buffer);
        lastFrame = static_cast<std::size_t>(count);
        return count;
    }
    bool IgnitionOn() const override { return true; }
    EcuVariant Variant() const override { return EcuVariant::B7; }
    std::string MirrorText(Mirror mirror) const override { return mirrors_[static_cast<int>(mirror)]; }
    NumberFormat MirrorNumberFormat() const override { return {",", "\u00A0"}; }
    std::string IdentificationText(IdentField) const override { return {}; }
    int TroubleCodeItemCount() const override { return static_cast<int>(TroubleCodeList().size()); }
    std::string TroubleCodeItemText(int index) const override { return TroubleCodeList()[index]; }
    bool TroubleCodeTicked(int index) const override { return index < ticked_; }
    bool TripCheckRunning() const override { return true; }
    std::optional<std::chrono::milliseconds> EngineRunTime() const override { return std::nullopt; }
    void ClearTroubleCodes() override {}
    void SetLamp(Lamp, bool) override {}
    void AppendLog(const std::string&) override {}
    void EnableResetTimer() override {}

private:
    int ticked_;
    // Speed, coolant, engine speed, throttle, idle valve, fuel, air, voltage, idle speed,
    // injection, consumption.
    std::array<std::string, 11> mirrors_{"87", "91", "2450", "23", "40", "3,7", "1\u00A0234,5",
                                         "14,1", "850", "3,25", "6,8"};
};

void RunService(benchmark::State& state, ServiceHandler handler, std::uint8_t id, std::uint8_t param,
                int ticked, std::size_t frameSize) {
    DiscardingEnvironment env(ticked);
    Fluctuation fluctuation([] { return 12345u; });
    fluctuation.Configure(true, 5);
    for (int i = 0; i < 4; ++i) {
        fluctuation.Timer4Timer(true);
    }
    ResponseFramer framer(env);
    framer.SetRequestAddresses(0x10, 0xF1);
    RequestBuffer request{};
    request[0] = id;
    request[1] = param;
    ServiceContext ctx{request, 0x10, 0xF1, env, fluctuation, framer};
    for (auto _ : state) {
        handler(ctx);
    }
    if (env.lastFrame != frameSize) {
        state.SkipWithError("unexpected frame size");
    }
}

void BM_BoschM797Block(benchmark::State& state) {
    RunService(state, ReadDataByLocalIdentifier01, 0x21, 0x01, 10, 74 + 5);
}

void BM_TroubleCodes84(benchmark::State& state) {
    RunService(state, ReadDTCByStatus, 0x18, 0x00, 84, 2 + 3 * 84 + 5);
}

void BM_TroubleCodesAll113(benchmark::State& state) {
    RunService(state, ReadDTCByStatus, 0x18, 0x00, 113, 2 + 3 * 84 + 5);
}

}  // namespace

BENCHMARK(BM_BoschM797Block)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TroubleCodes84)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TroubleCodesAll113)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
