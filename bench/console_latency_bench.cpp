// The whole console over a pseudo-terminal while its window runs (offscreen): request to
// reply latency of TesterPresent, CPU while idle, resident memory, and the time from
// process start to the first answered request.
//   console_latency_bench [--benchmark_filter=...]
#include <QApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <pty.h>
#include <string>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "console/IniSettingsStore.h"
#include "console/TForm1.h"
#include "widgets/TUiColBitBtn.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

const Clock::time_point kProcessStart = Clock::now();

// The tester's side of the link: the master of a pseudo-terminal in raw mode. Replies are
// awaited in the program's own event loop, so the port's hand-over and the notifier wake
// the same thread as in the running program.
class Tester {
public:
    Tester() {
        char name[256] = {};
        openpty(&master_, &slave_, name, nullptr, nullptr);
        termios raw{};
        tcgetattr(master_, &raw);
        cfmakeraw(&raw);
        tcsetattr(master_, TCSANOW, &raw);
        path_ = name;
    }
    ~Tester() {
        close(slave_);
        close(master_);
    }
    const std::string& Path() const { return path_; }

    // Writes the request and returns once `replySize` bytes came back (false on time-out).
    bool RoundTrip(const Bytes& request, std::size_t replySize, int timeoutMs = 2000) {
        QEventLoop loop;
        QSocketNotifier notifier(master_, QSocketNotifier::Read);
        std::size_t got = 0;
        bool done = false;
        QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
            std::uint8_t buffer[256];
            const ssize_t n = read(master_, buffer, sizeof buffer);
            got += n > 0 ? static_cast<std::size_t>(n) : 0;
            if (got >= replySize) {
                done = true;
                loop.quit();
            }
        });
        // One reused timer: thousands of pending single shots would be the bench's own idle load.
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        timeout.start(timeoutMs);
        if (write(master_, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
            return false;
        }
        loop.exec();
        return done;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

struct Program {
    QTemporaryDir storeDir;
    Tester tester;
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
        if (tester.RoundTrip({0x81, 0x10, 0xF1, 0x81, 0x03}, 7)) {
            startToFirstAnswerMs = std::chrono::duration<double, std::milli>(Clock::now() - kProcessStart).count();
        }
    }
};

Program* program = nullptr;

double Percentile(std::vector<double> samples, double p) {
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[index];
}

double ResidentMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0.0;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// TesterPresent 81 10 F1 3E D0, answered 81 F1 10 7E 00.
void TesterPresentRoundTrip(benchmark::State& state) {
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(state.max_iterations));
    std::int64_t lost = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const bool answered = program->tester.RoundTrip({0x81, 0x10, 0xF1, 0x3E, 0xD0}, 5);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
        state.SetIterationTime(us / 1e6);
        micros.push_back(us);
        lost += answered ? 0 : 1;
    }
    state.counters["median_us"] = Percentile(micros, 0.5);
    state.counters["p99_us"] = Percentile(micros, 0.99);
    state.counters["unanswered"] = static_cast<double>(lost);
}

// Three seconds with the window up, the port open and nothing on the line.
void IdleCpu(benchmark::State& state) {
    for (auto _ : state) {
        const double cpu0 = CpuSeconds();
        const auto t0 = Clock::now();
        QEventLoop loop;
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        state.counters["idle_cpu_percent"] = (CpuSeconds() - cpu0) / wall * 100.0;
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
        ->Iterations(10000)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("IdleCpu", IdleCpu)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    program = nullptr;
    return 0;
}
