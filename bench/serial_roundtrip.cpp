// Latency of the serial port over a pseudo-terminal: from a byte written at the far side to
// OnRxChar on the main thread, and from WriteBuf to the bytes at the far side. A bare
// pseudo-terminal round trip (a thread echoing on the other side) is the baseline; the two
// kinds of round trip alternate, so that both see the same load of a shared machine.
#include "support/PseudoTerminal.h"
#include "serial/TSerComm.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRoundTrips = 10000;

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

Clock::time_point At(const std::atomic<Clock::rep>& ticks) { return Clock::time_point(Clock::duration(ticks.load())); }

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

void Report(benchmark::State& state, const std::string& name, const std::vector<double>& values) {
    state.counters[name + "_median_us"] = Percentile(values, 0.5);
    state.counters[name + "_p99_us"] = Percentile(values, 0.99);
}

// Echoes every byte back on the slave side of a pseudo-terminal until stopped.
class BareEcho {
public:
    explicit BareEcho(PseudoTerminal& line) : line_(line), thread_([this] { Run(); }) {}
    ~BareEcho() {
        stop_ = true;
        thread_.join();
    }

private:
    void Run() {
        std::uint8_t byte = 0;
        while (!stop_) {
            pollfd p{line_.Slave(), POLLIN, 0};
            if (::poll(&p, 1, 50) > 0 && ::read(line_.Slave(), &byte, 1) == 1) PseudoTerminal::SendTo(line_.Slave(), {byte});
        }
    }

    PseudoTerminal& line_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A tester byte in, OnRxChar reads it and answers with WriteBuf, the answer back at the tester.
void BM_PortRoundTripAgainstBarePseudoTerminal(benchmark::State& state) {
    std::vector<double> bare, toHandler, toFarSide, roundTrips;
    for (auto _ : state) {
        PseudoTerminal bareLine;
        BareEcho echo(bareLine);
        PseudoTerminal far;
        TSerComm port;
        port.SetDeviceName(far.SlavePath());
        port.SetUserBaudrate(10400);
        std::atomic<Clock::rep> handlerAt{0}, writeAt{0};
        port.SetOnRxChar([&](TSerCustomComm* sender, int count) {
            handlerAt = Clock::now().time_since_epoch().count();
            std::uint8_t bytes[64];
            const int got = sender->ReadBuf(bytes, std::min(count, 64));
            writeAt = Clock::now().time_since_epoch().count();
            sender->WriteBuf(bytes, got);
        });
        port.Open();
        QEventLoop loop;
        std::thread tester([&] {
            for (int i = 0; i < kRoundTrips; ++i) {
                Clock::time_point start = Clock::now();
                bareLine.Send({0x3E});
                if (bareLine.Receive(1).size() != 1) break;
                bare.push_back(Micros(Clock::now() - start));

                start = Clock::now();
                far.Send({0x3E});  // TesterPresent
                if (far.Receive(1).size() != 1) break;
                const Clock::time_point end = Clock::now();
                toHandler.push_back(Micros(At(handlerAt) - start));
                toFarSide.push_back(Micros(end - At(writeAt)));
                roundTrips.push_back(Micros(end - start));
            }
            QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
        });
        loop.exec();
        tester.join();
        if (roundTrips.size() != kRoundTrips) state.SkipWithError("a reply was lost");
    }
    Report(state, "bare_round_trip", bare);
    Report(state, "port_round_trip", roundTrips);
    Report(state, "far_write_to_OnRxChar", toHandler);
    Report(state, "WriteBuf_to_far_side", toFarSide);
    state.counters["median_ratio_port_to_bare"] = Percentile(roundTrips, 0.5) / Percentile(bare, 0.5);
}

BENCHMARK(BM_PortRoundTripAgainstBarePseudoTerminal)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
