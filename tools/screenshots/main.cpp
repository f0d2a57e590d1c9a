// Grabs the main window once per tab, the settings dialog, and the K-line monitor with a
// short scripted session on its line and the report filled, as PNG files:
//   vorta-screenshots DIR
// Runs on Qt's offscreen platform unless another is chosen; the port is a fresh
// pseudo-terminal and the settings come from an empty store, so the pictures show the
// window as a first start does.
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "settings/IniSettingsStore.h"
#include "console/TForm1.h"
#include "monitorview/MonitorWindow.h"
#include "console/TForm2.h"
#include "protocol/KwpFrame.h"
#include "widgets/TUiColBitBtn.h"

namespace {

// Lets the window run for a while.
void Run(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        QApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(200);
    }
}

// A tester on the pseudo-terminal's other side: each byte alone, `gapMs` apart, then the
// pause before the next request; replies are read away.
void Request(int fd, std::uint8_t target, std::vector<std::uint8_t> data, int gapMs, int pauseMs) {
    const auto frame = BuildFrame(target, 0xF1, data.data(), data.size(), FrameForm::Short);
    for (const std::uint8_t byte : frame) {
        if (write(fd, &byte, 1) != 1) return;
        Run(gapMs);
    }
    Run(pauseMs);
    std::uint8_t sink[512];
    while (read(fd, sink, sizeof sink) > 0) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir storeDir;
    int master = -1, slave = -1;
    char slaveName[256] = {};
    if (openpty(&master, &slave, slaveName, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    termios raw{};
    tcgetattr(master, &raw);
    cfmakeraw(&raw);
    tcsetattr(master, TCSANOW, &raw);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);  // replies are read away without waiting
    ConsoleOptions options;
    options.portOverride = QString::fromLocal8Bit(slaveName);
    options.messageSink = [](const QString& m) { std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData()); };
    TForm1 form(options, std::make_unique<IniSettingsStore>(storeDir.filePath(QStringLiteral("s.ini"))));
    TForm2 settings(form.Store(), form.Reporter());
    form.show();

    auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    int failures = 0;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString file = out.filePath(QStringLiteral("tab%1.png").arg(i + 1));
        if (!form.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", file.toLocal8Bit().constData());
            ++failures;
        }
    }
    settings.Load();
    settings.show();
    QApplication::processEvents();
    if (!settings.grab().save(out.filePath(QStringLiteral("settings.png")))) {
        ++failures;
    }
    settings.hide();

    // A tester a little too quick for the rules: 4 ms between bytes, 30 ms before a request.
    MonitorWindow* monitor = form.ShowMonitor();
    monitor->resize(1400, 640);
    form.findChild<TUiColBitBtn*>(QStringLiteral("UiColBitBtn2"))->Click();  // ignition on
    Request(master, 0x10, {0x3E}, 4, 30);  // before StartCommunication
    const std::uint8_t wakeUp = 0x00;
    if (write(master, &wakeUp, 1) == 1) Run(50);
    Request(master, 0x10, {0x81}, 4, 30);
    for (int i = 0; i < 3; ++i) {
        Request(master, 0x10, {0x21, 0x01}, 4, 30);
        Request(master, 0x10, {0x1A, 0x9A}, 4, 30);
        Request(master, 0x10, {0x3E}, 4, 30);
    }
    Request(master, 0x10, {0x21, 0x07}, 4, 30);  // no such block
    Request(master, 0x11, {0x3E}, 4, 30);        // another address
    Request(master, 0x10, {0x18, 0x00, 0xFF, 0x00}, 4, 30);
    Run(200);
    monitor->Refresh();
    if (!monitor->grab().save(out.filePath(QStringLiteral("monitor.png")))) {
        ++failures;
    }
    close(slave);
    close(master);
    return failures == 0 ? 0 : 1;
}
