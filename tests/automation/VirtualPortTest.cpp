#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "support/BenchRun.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A hidden bench on a virtual port with the ignition on, kline-tester on the other side.
class VirtualPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bench.Started());
        bench.Do({"click ignition"});
    }
    BenchRun bench;
};

TEST_F(VirtualPortTest, WakeUpEchoReplyAndTheTraceOfBoth) {
    const auto run = bench.Tester({"--wakeup", "--to", "10", "81", "--echo", "filter"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    // 81 10 F1 81 03: StartCommunication; 83 F1 10 C1 6B 8F 3F: its reply, the echo before it
    EXPECT_TRUE(run.out.contains("-> 81 10 F1 81 03\n<- 83 F1 10 C1 6B 8F 3F  latency")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("checksum ok  (echo seen)"));

    const QStringList trace = bench.TraceLines();
    for (const QString& l : trace) {
        EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^(\d+) (RX|TX)( [0-9A-F]{2})+$)")).match(l).hasMatch()) << l.toStdString();
    }
    const int wake = trace.indexOf(QRegularExpression(QStringLiteral(R"(^\d+ RX 00$)")));  // the lone wake-up byte
    const int rx = trace.indexOf(QRegularExpression(QStringLiteral(R"(^\d+ RX 81 10 F1 81 03$)")));
    const int tx = trace.indexOf(QRegularExpression(QStringLiteral(R"(^\d+ TX 83 F1 10 C1 6B 8F 3F$)")));
    ASSERT_GE(wake, 0) << trace.join('\n').toStdString();
    ASSERT_GT(rx, wake);
    ASSERT_GT(tx, rx);
    EXPECT_LE(trace[rx].section(' ', 0, 0).toLongLong(), trace[tx].section(' ', 0, 0).toLongLong());
}

TEST(VirtualPortEcho, ComesWithTheIgnitionOffAndCanBeSwitchedOff) {
    {
        BenchRun bench;  // ignition off: the bus still echoes, the controller stays silent
        ASSERT_TRUE(bench.Started());
        const auto run = bench.Tester({"--to", "10", "81", "--echo", "filter"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.contains("<- no reply within 1000 ms")) << run.out.toStdString();
    }
    BenchRun quiet(false);
    ASSERT_TRUE(quiet.Started());
    quiet.Do({"click ignition"});
    const std::pair<const char*, const char*> rows[] = {
        {"filter", "the echo of the request is wrong or missing"},
        {"bytewise", "no echo of a request byte"},  // a tester that waits for each byte's echo gets nowhere
        {"none", "<- 83 F1 10 C1 6B 8F 3F  latency"},
    };
    for (const auto& [echo, seen] : rows) {
        const auto run = quiet.Tester({"--to", "10", "81", "--echo", echo});
        EXPECT_EQ(run.exitCode, std::string(echo) == "none" ? 0 : 1) << echo;
        EXPECT_TRUE(run.out.contains(QLatin1String(seen))) << echo << "\n" << run.out.toStdString();
    }
}

TEST_F(VirtualPortTest, EachFaultModeAsTheTesterSeesIt) {
    ASSERT_EQ(bench.Tester({"--to", "10", "81"}).exitCode, 0);
    // 82 10 F1 3E 01 C2: TesterPresent; 81 F1 10 7E 00: its reply
    const QStringList present = {"--to", "10", "3E", "01"};
    struct Row {
        const char* fault;
        QStringList extra;
        int exitCode;
        const char* seen;
    };
    const Row rows[] = {
        {"fault silent", {}, 1, "<- no reply within 1000 ms"},
        {"fault bad-checksum", {}, 1, "<- 81 F1 10 7E 01  latency"},
        {"fault delay 2000", {}, 1, "<- no reply within 1000 ms"},  // held longer than the tester listens
        {"fault delay 300", {"--p2max", "2000"}, 0, "<- 81 F1 10 7E 00  latency"},
        {"fault none", {}, 0, "<- 81 F1 10 7E 00  latency"},
    };
    for (const auto& row : rows) {
        bench.Do({row.fault});
        const auto run = bench.Tester(present + row.extra);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.fault << "\n" << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QLatin1String(row.seen))) << row.fault << "\n" << run.out.toStdString();
        // A late reply of the delayed run must have left before the next run starts, which
        // then throws it away unread.
        ASSERT_TRUE(QTest::qWaitFor([&] { return bench.PendingReplies() == 0; }, 10000)) << row.fault;
        if (row.extra.isEmpty()) continue;
        const auto latency = QRegularExpression(QStringLiteral(R"(latency (\d+\.\d+) ms)")).match(run.out);
        EXPECT_GE(latency.captured(1).toDouble(), 300.0) << run.out.toStdString();
    }
}

TEST_F(VirtualPortTest, TestersComeAndGoWithoutErrorsOrSpinning) {
    const std::pair<QStringList, const char*> rows[] = {
        {{"--to", "10", "81", "--to", "10", "3E"}, "<- 81 F1 10 7E 00"},
        // every byte a chunk of its own: the whole request is answered once
        {{"--to", "10", "81", "--to", "10", "21", "01", "--echo", "bytewise"}, "<- A2 F1 10 61 01 08 35"},
        {{"--to", "10", "81", "--to", "10", "21", "01", "--repeat", "20", "--quiet"},
         "requests 40  replies 40  no reply 0  bad checksum 0  broken 0"},
    };
    for (const auto& [args, seen] : rows) {
        const auto run = bench.Tester(args);
        EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QLatin1String(seen))) << run.out.toStdString();
    }
    // Nobody holds the tester's side open now: the master side reports hang-up.
    const double before = CpuSeconds();
    QTest::qWait(1000);
    // Idle, the process uses a few milliseconds a second; a spinning link gets far more than a
    // tenth even of a loaded machine.
    EXPECT_LT(CpuSeconds() - before, 0.1) << "the link spins while no tester is connected";
    EXPECT_EQ(bench.Tester({"--to", "10", "3E"}).exitCode, 0);
    EXPECT_TRUE(bench.messages.isEmpty()) << bench.messages.join('\n').toStdString();
}

TEST_F(VirtualPortTest, LampsSwitchedByTheTesterShowOverControl) {
    struct Row {
        QStringList request;
        const char* lamp;
        const char* state;
    };
    const Row rows[] = {
        {{"30", "09", "06", "01"}, "get lamp ESUDCONTROL1ON", "OK on"},  // 30 09 06 01: fan relay 2 on
        {{"30", "09", "06", "00"}, "get lamp ESUDCONTROL1OFF", "OK on"},  // 30 09 06 00: off again
        {{"11", "01"}, "get lamp UiLED4", "OK on"},  // 11 01: ECU reset
    };
    for (const auto& row : rows) {
        const auto run = bench.Tester(QStringList{"--to", "10", "81", "--to", "10"} + row.request);
        EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
        EXPECT_EQ(bench.Ask(row.lamp), row.state) << row.lamp;
    }
}

}  // namespace
