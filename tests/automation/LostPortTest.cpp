#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "support/ProgramRun.h"
#include "support/PseudoTerminal.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 81 10 F1 81 03: StartCommunication; 83 F1 10 C1 6B 8F 3F: its reply.
const Bytes kStart = {0x81, 0x10, 0xF1, 0x81, 0x03};
const Bytes kStartReply = {0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F};
// 82 10 F1 3E 01 C2: TesterPresent, answered only while communication is active; 81 F1 10 7E 00.
const Bytes kPresent = {0x82, 0x10, 0xF1, 0x3E, 0x01, 0xC2};
const Bytes kPresentReply = {0x81, 0xF1, 0x10, 0x7E, 0x00};

// CPU seconds a process has used so far, from /proc.
double CpuSecondsOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QString text = QString::fromLatin1(stat.readAll());
    // Fields after the command's closing parenthesis: state is field 3, utime 14, stime 15.
    const QStringList fields = text.mid(text.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Sends the request every half second until its reply comes back; false when none came
// within the time.
bool Answered(const AdapterEnd& adapter, const Bytes& request, const Bytes& reply, int withinMs) {
    QElapsedTimer clock;
    clock.start();
    Bytes seen;
    while (clock.elapsed() < withinMs) {
        adapter.Send(request);
        const Bytes got = adapter.Receive(64, 500);
        seen.insert(seen.end(), got.begin(), got.end());
        if (std::search(seen.begin(), seen.end(), reply.begin(), reply.end()) != seen.end()) return true;
    }
    return false;
}

// The program on an adapter reached through a link, as /dev/serial/by-id gives one: the
// adapter pulled out (its pseudo-terminal closed), then plugged in again under another name.
TEST(LostPortTest, PulledAdapterIsReportedAndTheNewOneAnswersThroughTheSameLink) {
    ProgramRun run;
    const QString link = run.Path("adapter");
    const QString socket = run.Path("control.sock");
    auto first = std::make_unique<AdapterEnd>();
    ASSERT_TRUE(QFile::link(QString::fromStdString(first->Path()), link));

    QProcess& program = run.program;
    ASSERT_TRUE(run.Start({"--hidden", "--port", link, "--control", "unix:" + socket}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 20000));
    auto control = LineClient::Local(socket);
    EXPECT_EQ(control->Ask("get port"), "OK open " + link);
    ASSERT_EQ(control->Ask("click ignition"), "OK");
    ASSERT_TRUE(Answered(*first, kStart, kStartReply, 5000));

    QString err;
    auto errLines = [&] {
        err += QString::fromLocal8Bit(program.readAllStandardError());
        return err;
    };
    QElapsedTimer clock;
    clock.start();
    first.reset();  // pulled out
    ASSERT_TRUE(QTest::qWaitFor([&] { return errLines().contains(QLatin1String(" lost: ")); }, 5000)) << err.toStdString();
    const qint64 reportedMs = clock.elapsed();
    const QString lost = control->Ask("get port");
    EXPECT_TRUE(lost.startsWith("OK lost " + link + ": ")) << lost.toStdString();

    // Nothing to open for a while: the program waits without spinning.
    const double cpuBefore = CpuSecondsOf(program.processId());
    QElapsedTimer idle;
    idle.start();
    QTest::qWait(3000);
    const double cpuShare = (CpuSecondsOf(program.processId()) - cpuBefore) / (idle.elapsed() / 1000.0);
    EXPECT_LT(cpuShare, 0.05);

    auto second = std::make_unique<AdapterEnd>();  // plugged in again: another pts number, the same link
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(QString::fromStdString(second->Path()), link));
    clock.restart();
    // Communication is still active: TesterPresent is answered without a new start.
    ASSERT_TRUE(Answered(*second, kPresent, kPresentReply, 10000)) << errLines().toStdString();
    const qint64 answeredMs = clock.elapsed();
    EXPECT_EQ(control->Ask("get port"), "OK open " + link);
    std::printf("[ measured ] loss reported after %lld ms; new adapter answered after %lld ms; CPU while lost %.2f %%\n",
                static_cast<long long>(reportedMs), static_cast<long long>(answeredMs), cpuShare * 100);

    // Pulled out again, for good this time: the program still quits at once.
    second.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return errLines().count(QLatin1String(" lost: ")) == 2; }, 5000)) << err.toStdString();
    EXPECT_EQ(control->Ask("quit"), "OK");
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 5000));
    EXPECT_EQ(program.exitCode(), 0);
    // Each change said once, one line each.
    errLines();
    EXPECT_EQ(err.count(QLatin1String(" open again.")), 1) << err.toStdString();
    EXPECT_EQ(err.count(QLatin1Char('\n')), 3) << err.toStdString();
}

}  // namespace
