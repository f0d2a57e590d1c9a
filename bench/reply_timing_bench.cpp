// Accuracy of the reply timing, measured where a trip computer would measure it: on the
// tester's side of a pseudo-terminal, on a thread of its own, while the whole program runs
// (offscreen). P2: from the moment the request's last byte was written to the first byte of
// the reply, less P2. P1: the gaps between the bytes of a reply. The untimed round trip of
// the same request is measured in the same run for comparison.
//   reply_timing_bench [--rounds N] [--p2 MS] [--p1 MS]
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "settings/IniSettingsStore.h"
#include "line/ReplyLine.h"
#include "console/TForm1.h"
#include "widgets/TUiColBitBtn.h"

#include "support/PseudoTerminal.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// 82 10 F1 3E 01 C2 → 81 F1 10 7E 00 (5 bytes); 82 10 F1 21 01 A5 → the live block of the
// Январь 5.1, 38 bytes.
const Bytes kPresent = {0x82, 0x10, 0xF1, 0x3E, 0x01, 0xC2};
const Bytes kLiveBlock = {0x82, 0x10, 0xF1, 0x21, 0x01, 0xA5};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Percentile(std::vector<double> samples, double p) {
    if (samples.empty()) return 0.0;
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[index];
}

// The tester: writes a request, stamps every byte of the reply as it arrives.
class Tester {
public:
    const std::string& Path() const { return pty_.SlavePath(); }

    // Arrival of each byte of a reply of `size` bytes, measured from the end of the request's
    // write; empty when it did not come within 10 s.
    std::vector<double> Exchange(const Bytes& request, std::size_t size) {
        std::vector<double> arrivals;
        if (write(pty_.Master(), request.data(), request.size()) != static_cast<ssize_t>(request.size())) return {};
        const Clock::time_point written = Clock::now();
        while (arrivals.size() < size) {
            pollfd p{pty_.Master(), POLLIN, 0};
            if (poll(&p, 1, 10000) <= 0) return {};
            std::uint8_t buffer[256];
            const ssize_t n = read(pty_.Master(), buffer, sizeof buffer);
            const double at = Ms(Clock::now() - written);
            for (ssize_t i = 0; i < n; ++i) arrivals.push_back(at);
        }
        return arrivals;
    }

private:
    PseudoTerminal pty_;
};

// Runs `work` on a thread of its own while the program's event loop runs here.
void WhileTheProgramRuns(const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread tester([&] {
        work();
        done = true;
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done) QCoreApplication::quit();
    });
    poll.start(10);
    QCoreApplication::exec();
    tester.join();
}

struct Figures {
    std::vector<double> firstByteMs;  // per request
    std::vector<double> gapsMs;       // between the bytes of the replies
    int lost = 0;
};

Figures Measure(Tester& tester, const Bytes& request, std::size_t replySize, int rounds) {
    Figures f;
    WhileTheProgramRuns([&] {
        for (int i = 0; i < rounds; ++i) {
            // A tester's pause between requests (P3 at least 55 ms).
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            const std::vector<double> arrivals = tester.Exchange(request, replySize);
            if (arrivals.empty()) {
                ++f.lost;
                continue;
            }
            f.firstByteMs.push_back(arrivals.front());
            for (std::size_t b = 1; b < arrivals.size(); ++b) f.gapsMs.push_back(arrivals[b] - arrivals[b - 1]);
        }
    });
    return f;
}

int IntArgument(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = IntArgument(argc, argv, "--rounds", 300);
    const int p2 = IntArgument(argc, argv, "--p2", 25);
    const int p1 = IntArgument(argc, argv, "--p1", 5);

    QTemporaryDir dir;
    Tester tester;
    IniSettingsStore(dir.filePath(QStringLiteral("s.ini")))
        .WriteString("MK-Vorta-Tester", "COM-Port", QString::fromStdString(tester.Path()));
    ConsoleOptions options;
    options.messageSink = [](const QString& m) { std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData()); };
    TForm1 form(options, std::make_unique<IniSettingsStore>(dir.filePath(QStringLiteral("s.ini"))));
    form.findChild<TUiColBitBtn*>(QStringLiteral("UiColBitBtn2"))->Click();  // ignition on
    // 81 10 F1 81 03 → 83 F1 10 C1 6B 8F 3F
    Measure(tester, {0x81, 0x10, 0xF1, 0x81, 0x03}, 7, 1);

    form.Replies().SetTiming({0, 0});
    const Figures untimed = Measure(tester, kPresent, 5, rounds);
    form.Replies().SetTiming({p2, 0});
    const Figures timed = Measure(tester, kPresent, 5, rounds);
    form.Replies().SetTiming({0, p1});
    const Figures spaced = Measure(tester, kLiveBlock, 38, std::max(1, rounds / 15));

    std::vector<double> p2Error;
    for (const double ms : timed.firstByteMs) p2Error.push_back(ms - p2);
    std::vector<double> p2AbsError;
    for (const double e : p2Error) p2AbsError.push_back(e < 0 ? -e : e);

    std::printf("untimed (P2 0, P1 0): first byte median %.3f ms  p99 %.3f ms  (%zu requests, %d lost)\n",
                Percentile(untimed.firstByteMs, 0.5), Percentile(untimed.firstByteMs, 0.99),
                untimed.firstByteMs.size(), untimed.lost);
    std::printf("P2 %d ms: first byte median %.3f ms  error median %+.3f ms  |error| median %.3f ms  "
                "p99 %.3f ms  max %.3f ms  min error %+.3f ms  (%zu requests, %d lost)\n",
                p2, Percentile(timed.firstByteMs, 0.5), Percentile(p2Error, 0.5), Percentile(p2AbsError, 0.5),
                Percentile(p2AbsError, 0.99), Percentile(p2AbsError, 1.0), Percentile(p2Error, 0.0),
                timed.firstByteMs.size(), timed.lost);
    std::printf("P1 %d ms: gap median %.3f ms  p1 %.3f ms  p99 %.3f ms  (%zu gaps in %zu replies, %d lost)\n", p1,
                Percentile(spaced.gapsMs, 0.5), Percentile(spaced.gapsMs, 0.01), Percentile(spaced.gapsMs, 0.99),
                spaced.gapsMs.size(), spaced.firstByteMs.size(), spaced.lost);
    return 0;
}
