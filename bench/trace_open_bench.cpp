// Opening a saved trace: a file of 1 000 000 rows (by default) as the monitor saves them,
// half requests for the live block, half its replies, read into a window in one pass (the
// window keeps the last 100 000 rows, the report counts all). Prints the file's size, each
// round's time to open (wall clock, and the CPU time it took, which a busy machine does not
// stretch), the median and the resident memory after.
//   trace_open_bench [--rows N] [--rounds N]    (default 1000000 rows, 5 rounds)
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "monitorview/MonitorWindow.h"
#include "monitor/MonitorTraceFile.h"
#include "protocol/KwpFrame.h"
#include "bench/ResidentMemory.h"

namespace {

// A B7 session's rows: a live-block request in two pieces, then its reply.
void WriteTrace(const std::string& path, long rows) {
    std::ofstream out(path, std::ios::binary);
    out << "# K-line trace: <us> RX|TX <bytes> [@ span min-gap max-gap] # meaning\n";
    out << "# resolution pseudo-terminal 0\n# variant B7\n";
    const std::uint8_t request[] = {0x21, 0x01};
    std::vector<std::uint8_t> data = {0x61, 0x01};
    for (int i = 0; i < 32; ++i) data.push_back(static_cast<std::uint8_t>(i * 7));
    MonitorRow rx;
    rx.kind = MonitorRowKind::Request;
    rx.variant = EcuVariant::B7;
    rx.bytes = BuildFrame(0x10, 0xF1, request, sizeof request, FrameForm::Short);
    rx.spanUs = 3100;
    rx.minGapUs = 1000;
    rx.maxGapUs = 1100;
    MonitorRow tx;
    tx.kind = MonitorRowKind::Reply;
    tx.variant = EcuVariant::B7;
    tx.bytes = BuildFrame(0xF1, 0x10, data.data(), data.size(), FrameForm::Short);
    std::int64_t at = 1000000;
    for (long n = 0; n < rows; ++n) {
        MonitorRow& row = n % 2 == 0 ? rx : tx;
        row.atUs = at;
        at += n % 2 == 0 ? 25000 : 60000;
        out << MonitorTraceFile::TextLine(row) << '\n';
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    long rows = 1000000;
    int rounds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--rows")) rows = std::max(1L, std::atol(argv[i + 1]));
        if (!std::strcmp(argv[i], "--rounds")) rounds = std::max(1, std::atoi(argv[i + 1]));
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("long.trace")).toStdString();
    WriteTrace(path, rows);
    std::ifstream sized(path, std::ios::binary | std::ios::ate);
    std::printf("trace: %ld rows, %.1f MB\n", rows, static_cast<double>(sized.tellg()) / (1024.0 * 1024.0));
    std::vector<double> seconds, cpu;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        QString error;
        std::unique_ptr<MonitorWindow> window(MonitorWindow::OpenTrace(QString::fromStdString(path), nullptr, &error));
        if (!window) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return 1;
        }
        window->show();
        QApplication::processEvents();
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        cpu.push_back(static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
        std::printf("round %d: %.3f s (CPU %.3f s), %zu rows in the window\n", r + 1, seconds.back(), cpu.back(),
                    window->Monitor().Ring().Size());
    }
    std::sort(seconds.begin(), seconds.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("open and show, median of %d: %.3f s (max %.3f s, median CPU %.3f s); resident after: %.0f MB\n",
                rounds, seconds[seconds.size() / 2], seconds.back(), cpu[cpu.size() / 2], ResidentMb());
    return 0;
}
