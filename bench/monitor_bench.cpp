// The K-line monitor's cost on a running console over a pseudo-terminal: a tester sends
// 1000 requests a second; one-second blocks with the monitor window closed and open take
// turns, so both medians come from the same run. Then the time per repaint of a view of a
// full ring (100 000 rows) scrolled to places across it.
//   monitor_bench [--seconds N] [--rate N]    (default 600 s at 1000 requests/s)
#include <QApplication>
#include <QEventLoop>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "settings/IniSettingsStore.h"
#include "monitor/LinkMonitor.h"
#include "monitorview/MonitorWindow.h"
#include "console/TForm1.h"
#include "protocol/KwpFrame.h"
#include "widgets/TUiColBitBtn.h"

#include "support/PseudoTerminal.h"
#include "bench/ResidentMemory.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// The tester's end: writes a request and waits in the program's event loop for the reply.
class Tester {
public:
    Tester() {
        notifier_ = std::make_unique<QSocketNotifier>(pty_.Master(), QSocketNotifier::Read);
        timeout_.setSingleShot(true);
        QObject::connect(&timeout_, &QTimer::timeout, &loop_, &QEventLoop::quit);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, &loop_, [this] {
            std::uint8_t buffer[512];
            const ssize_t n = read(pty_.Master(), buffer, sizeof buffer);
            got_ += n > 0 ? static_cast<std::size_t>(n) : 0;
            if (got_ >= want_) loop_.quit();
        });
    }
    ~Tester() {
        notifier_.reset();
    }
    const std::string& Path() const { return pty_.SlavePath(); }

    // Round trip in microseconds, or a negative value on time-out.
    double RoundTrip(const Bytes& request, std::size_t replySize) {
        got_ = 0;
        want_ = replySize;
        const auto start = Clock::now();
        timeout_.start(2000);
        if (write(pty_.Master(), request.data(), request.size()) != static_cast<ssize_t>(request.size())) return -1;
        loop_.exec();
        timeout_.stop();
        if (got_ < want_) return -1;
        return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    }

private:
    PseudoTerminal pty_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QEventLoop loop_;
    QTimer timeout_;
    std::size_t got_ = 0, want_ = 0;
};

// Lets the program's events run until `until`.
void IdleUntil(Clock::time_point until) {
    while (Clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int seconds = 600, rate = 1000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--seconds")) seconds = std::max(2, std::atoi(argv[i + 1]));
        if (!std::strcmp(argv[i], "--rate")) rate = std::max(1, std::atoi(argv[i + 1]));
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    Tester tester;
    const QString ini = dir.filePath(QStringLiteral("s.ini"));
    IniSettingsStore(ini).WriteString("MK-Vorta-Tester", "COM-Port", QString::fromStdString(tester.Path()));
    ConsoleOptions options;
    options.messageSink = [](const QString& m) { std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData()); };
    TForm1 form(options, std::make_unique<IniSettingsStore>(ini));
    form.show();
    form.findChild<TUiColBitBtn*>(QStringLiteral("UiColBitBtn2"))->Click();
    if (tester.RoundTrip({0x81, 0x10, 0xF1, 0x81, 0x03}, 7) < 0) {
        std::fprintf(stderr, "no answer to StartCommunication\n");
        return 1;
    }
    // Half the requests read the live block, so open rows decode it field by field.
    const Bytes testerPresent = {0x81, 0x10, 0xF1, 0x3E, 0xC0};
    const Bytes liveBlock = {0x82, 0x10, 0xF1, 0x21, 0x01, 0xA5};
    const std::size_t liveReply = 3 + 34 + 1;  // A2 F1 10, 61 01 and 32 bytes, checksum: Ja5
    std::vector<double> closed, open;
    double peakOpenMb = 0;
    int lost = 0;
    const auto period = std::chrono::microseconds(1000000 / rate);
    auto next = Clock::now();
    std::printf("monitor_bench: %d s at %d requests/s, blocks of 1 s closed and open in turn\n", seconds, rate);
    for (int block = 0; block < seconds; ++block) {
        const bool monitorOpen = block % 2 == 1;
        if (monitorOpen) form.ShowMonitor();
        else if (form.MonitorWindowIfMade()) form.MonitorWindowIfMade()->hide();
        std::vector<double>& into = monitorOpen ? open : closed;
        for (int i = 0; i < rate; ++i) {
            const bool live = i % 2 == 1;
            const double us = tester.RoundTrip(live ? liveBlock : testerPresent, live ? liveReply : 5);
            if (us < 0) ++lost;
            else into.push_back(us);
            next += period;
            IdleUntil(next);
        }
        if (monitorOpen) peakOpenMb = std::max(peakOpenMb, ResidentMb());
    }
    const double closedMedian = Median(closed), openMedian = Median(open);
    std::printf("round trip median: monitor closed %.1f us, open %.1f us, ratio %.3f (target <= 1.2)\n", closedMedian,
                openMedian, openMedian / closedMedian);
    std::printf("requests: %zu closed, %zu open, %d unanswered\n", closed.size(), open.size(), lost);
    std::printf("resident memory with the monitor open: peak %.1f MB (target < 80 MB); ring %zu of %zu rows\n",
                peakOpenMb, form.Monitor().Ring().Size(), form.Monitor().Ring().Capacity());

    // A full ring in a view: repaint at places spread over the 100 000 rows.
    LinkMonitor& monitor = form.Monitor();
    const Bytes reply = BuildFrame(0xF1, 0x10, Bytes{0x7E}.data(), 1, FrameForm::Short);
    while (monitor.Ring().Size() < monitor.Ring().Capacity()) {
        monitor.FrameSent(reply.data(), reply.size(), Clock::now());
    }
    MonitorWindow* window = form.ShowMonitor();
    window->resize(1000, 700);
    window->Refresh();
    QTableView& view = window->View();
    QScrollBar* bar = view.verticalScrollBar();
    const int repaints = 200;
    const auto start = Clock::now();
    for (int i = 0; i < repaints; ++i) {
        bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * i / repaints));
        view.viewport()->repaint();
    }
    const double perRepaint = std::chrono::duration<double, std::milli>(Clock::now() - start).count() / repaints;
    std::printf("view of %d rows: %.2f ms per repaint (scrolled to %d places)\n", view.model()->rowCount(), perRepaint,
                repaints);
    std::printf("resident memory after: %.1f MB\n", ResidentMb());
    return 0;
}
