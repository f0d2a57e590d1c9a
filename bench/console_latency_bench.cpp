// The whole console over a pseudo-terminal while its window runs (offscreen): request to
// reply latency of TesterPresent against a bare pseudo-terminal echo measured in the same
// run, the program's CPU time per request, CPU while idle, resident memory, and the time
// from process start to the first answered request.
//   console_latency_bench [--benchmark_filter=...]
#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <memory>
#include <poll.h>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "settings/IniSettingsStore.h"
#include "console/TForm1.h"
#include "widgets/TUiColBitBtn.h"

#include "support/PseudoTerminal.h"
#include "bench/ResidentMemory.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

const Clock::time_point kProcessStart = Clock::now();
constexpr int kRoundTrips = 10000;
constexpr int kBlock = 100;

double CpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A pseudo-terminal pair in raw mode; the tester holds the master side.
class Line {
public:
    Line() = default;
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;
    const std::string& Path() const { return pty_.SlavePath(); }
    int Slave() const { return pty_.Slave(); }

    // Writes the request and returns once `replySize` bytes came back (false on time-out).
    bool RoundTrip(const Bytes& request, std::size_t replySize, int timeoutMs = 2000) const {
        if (write(pty_.Master(), request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
            return false;
        }
        std::size_t got = 0;
        std::uint8_t buffer[256];
        pollfd p{pty_.Master(), POLLIN, 0};
        while (got < replySize && poll(&p, 1, timeoutMs) > 0) {
            const ssize_t n = read(pty_.Master(), buffer, sizeof buffer);
            if (n <= 0) {
                return false;
            }
            got += static_cast<std::size_t>(n);
        }
        return got >= replySize;
    }

private:
    PseudoTerminal pty_;
};

// The baseline: a thread on the slave side writes back whatever comes, as soon as it comes.
class BareEcho {
public:
    BareEcho() : thread_([this] { Run(); }) {}
    ~BareEcho() {
        stop_ = true;
        thread_.join();
    }
    const Line& Tester() const { return line_; }
    double CpuSeconds() const { return cpu_.load(); }

private:
    void Run() {
        pthread_setname_np(pthread_self(), "bare-echo");
        std::uint8_t buffer[256];
        while (!stop_) {
            pollfd p{line_.Slave(), POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) {
                continue;
            }
            const ssize_t n = read(line_.Slave(), buffer, sizeof buffer);
            if (n > 0 && write(line_.Slave(), buffer, static_cast<std::size_t>(n)) != n) {
                break;
            }
            cpu_ = ::CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        }
    }

    Line line_;
    std::atomic<bool> stop_{false};
    std::atomic<double> cpu_{0.0};
    std::thread thread_;
};

// Runs the tester on a thread of its own while the program's event loop serves the port.
template <typename Tester>
void InEventLoop(Tester tester) {
    QEventLoop loop;
    std::thread thread([&] {
        pthread_setname_np(pthread_self(), "tester");
        tester();
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    thread.join();
}

struct Program {
    QTemporaryDir storeDir;
    Line tester;
    std::unique_ptr<TForm1> form;
    double startToFirstAnswerMs = 0.0;

    Program() {
        IniSettingsStore store(storeDir.filePath(QStringLiteral("s.ini")));
        store.WriteString("MK-Vorta-Tester", "COM-Port", QString::fromStdString(tester.Path()));
        ConsoleOptions options;
        options.messageSink = [](const QString& m) { std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData()); };
        form = std::make_unique<TForm1>(options,
                                        std::make_unique<IniSettingsStore>(storeDir.filePath(QStringLiteral("s.ini"))));
        form->show();
        form->findChild<TUiColBitBtn*>(QStringLiteral("UiColBitBtn2"))->Click();  // ignition on
        // 81 10 F1 81 03 → 83 F1 10 C1 6B 8F 3F
        InEventLoop([this] {
            if (tester.RoundTrip({0x81, 0x10, 0xF1, 0x81, 0x03}, 7)) {
                startToFirstAnswerMs = std::chrono::duration<double, std::milli>(Clock::now() - kProcessStart).count();
            }
        });
    }
};

Program* program = nullptr;

double Percentile(std::vector<double> samples, double p) {
    if (samples.empty()) {
        return 0.0;
    }
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[index];
}

// TesterPresent 81 10 F1 3E D0, answered 81 F1 10 7E 00, against the bare echo of the same
// five bytes. The two kinds alternate in blocks, so that both see the same load of a shared
// machine while neither runs into the other's last wake-ups.
// The program's CPU is the process's less the tester's and the echo's threads.
void TesterPresentRoundTrip(benchmark::State& state) {
    std::vector<double> micros, bareMicros;
    micros.reserve(kRoundTrips);
    bareMicros.reserve(kRoundTrips);
    std::int64_t lost = 0;
    double programCpu = 0.0;
    for (auto _ : state) {
        BareEcho echo;
        const Bytes request = {0x81, 0x10, 0xF1, 0x3E, 0xD0};
        const double processCpu0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        double testerCpu = 0.0;
        InEventLoop([&] {
            const double testerCpu0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
            for (int block = 0; block < kRoundTrips / kBlock; ++block) {
                for (int i = 0; i < kBlock; ++i) {
                    const auto t0 = Clock::now();
                    if (!echo.Tester().RoundTrip(request, request.size())) {
                        break;
                    }
                    bareMicros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
                }
                for (int i = 0; i < kBlock; ++i) {
                    const auto t0 = Clock::now();
                    const bool answered = program->tester.RoundTrip(request, 5);
                    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
                    lost += answered ? 0 : 1;
                }
            }
            testerCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - testerCpu0;
        });
        programCpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processCpu0 - testerCpu - echo.CpuSeconds();
        double total = 0.0;
        for (const double us : micros) {
            total += us;
        }
        state.SetIterationTime(total / 1e6);
        if (bareMicros.size() != kRoundTrips) {
            state.SkipWithError("the bare echo lost a reply");
        }
    }
    const double median = Percentile(micros, 0.5);
    const double bareMedian = Percentile(bareMicros, 0.5);
    state.counters["median_us"] = median;
    state.counters["p99_us"] = Percentile(micros, 0.99);
    state.counters["bare_median_us"] = bareMedian;
    state.counters["bare_p99_us"] = Percentile(bareMicros, 0.99);
    state.counters["median_ratio_to_bare"] = median / bareMedian;
    state.counters["program_cpu_us_per_request"] = programCpu / static_cast<double>(micros.size()) * 1e6;
    state.counters["unanswered"] = static_cast<double>(lost);
}

// Three seconds with the window up, the port open and nothing on the line.
void IdleCpu(benchmark::State& state) {
    for (auto _ : state) {
        const double cpu0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const auto t0 = Clock::now();
        QEventLoop loop;
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        state.counters["idle_cpu_percent"] = (CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0) / wall * 100.0;
    }
    state.counters["rss_mb"] = ResidentMb();
    state.counters["start_to_first_answer_ms"] = program->startToFirstAnswerMs;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Program p;
    program = &p;
    benchmark::RegisterBenchmark("TesterPresentRoundTrip", TesterPresentRoundTrip)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("IdleCpu", IdleCpu)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    program = nullptr;
    return 0;
}
