#include <QRegularExpression>
#include <gtest/gtest.h>

#include "support/BenchRun.h"

namespace {

// kline-tester with a generous reply deadline: the bench runs in this test's own process.
QStringList Ask(QStringList requests) {
    return QStringList{"--p2max", "2000"} + requests;
}

// Framing chosen per type in the store, for all types on the command line and over the control
// interface, as the device under test sees it.
TEST(LineBehaviour, RealFramingAsTheTesterSeesIt) {
    BenchRun stored(true, {}, "[MK-Vorta-Tester]\nRealFraming-Ja7=1\n");
    ASSERT_TRUE(stored.Started());
    EXPECT_EQ(stored.Ask("get framing"), "OK Ja5=compact B1=compact Ja7=real B7=compact BMP=compact b17=compact");
    stored.Do({"click ignition"});
    struct Row {
        const char* command;  // run before the request
        const char* seen;     // the header kline-tester prints
    };
    const Row rows[] = {
        {"variant Ja5", "<- A2 F1 10 61 01 "},
        {"variant Ja7", "<- 80 F1 10 26 61 01 3B 92 "},  // 43 bytes: 5 + 38
        {"framing compact", "<- A6 F1 10 61 01 3B 92 "},
        {"framing real", "<- 80 F1 10 26 61 01 3B 92 "},
        {"variant b17", "<- 80 F1 10 3C 61 01 "},
        {"variant B1", "<- 80 F1 10 24 61 01 "},
    };
    for (const Row& row : rows) {
        stored.Do({row.command});
        const auto run = stored.Tester(Ask({"--to", "10", "81", "--to", "10", "21", "01", "--to", "10", "3E"}));
        EXPECT_EQ(run.exitCode, 0) << row.command << "\n" << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QLatin1String(row.seen))) << row.command << "\n" << run.out.toStdString();
        EXPECT_TRUE(run.out.contains("<- 81 F1 10 7E 00  latency")) << run.out.toStdString();  // still short
    }
    EXPECT_EQ(stored.Ask("get framing"), "OK real");
    for (const char* bad : {"framing", "framing long", "framing real now"}) {
        EXPECT_TRUE(stored.Ask(bad).startsWith("ERR ")) << bad;
    }
    EXPECT_EQ(stored.Ask("get framing"), "OK real");

    BenchRun overridden(true, [](CommandLineOptions& o) { o.framing = ReplyFraming::Compact; },
                        "[MK-Vorta-Tester]\nRealFraming-Ja7=1\n");
    ASSERT_TRUE(overridden.Started());
    EXPECT_EQ(overridden.Ask("get framing"), "OK compact");
}

}  // namespace

namespace {

// Reply times from the command line and the control interface, as kline-tester measures them.
TEST(LineBehaviour, ReplyTimingAsTheTesterSeesIt) {
    BenchRun bench(true, [](CommandLineOptions& o) { o.p2Ms = 300; });
    ASSERT_TRUE(bench.Started());
    EXPECT_EQ(bench.Ask("get timing"), "OK 300 0");
    bench.Do({"click ignition"});
    auto latencies = [&](const QStringList& args) {
        const auto run = bench.Tester(args);
        EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
        QList<double> ms;
        auto it = QRegularExpression(R"(latency (\d+\.\d+) ms)").globalMatch(run.out);
        while (it.hasNext()) ms << it.next().captured(1).toDouble();
        return ms;
    };
    for (const double ms : latencies(Ask({"--to", "10", "81", "--to", "10", "3E"}))) {
        EXPECT_GE(ms, 300.0);
    }
    // The trace shows the reply when it left: P2 after the request.
    const QStringList trace = bench.TraceLines();
    const int rx = trace.indexOf(QRegularExpression(R"(^\d+ RX 81 10 F1 3E C0$)"));
    const int tx = trace.indexOf(QRegularExpression(R"(^\d+ TX 81 F1 10 7E 00$)"));
    ASSERT_TRUE(rx >= 0 && tx > rx) << trace.join('\n').toStdString();
    EXPECT_GE(trace[tx].section(' ', 0, 0).toLongLong() - trace[rx].section(' ', 0, 0).toLongLong(), 300'000);
    bench.Do({"timing 0 20"});
    EXPECT_EQ(bench.Ask("get timing"), "OK 0 20");
    // 21 01 of the Январь 5.1: 38 bytes, 20 ms apart, whole (the tester allows for a loaded machine).
    const auto run = bench.Tester(Ask({"--to", "10", "21", "01", "--p1max", "1000"}));
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("<- A2 F1 10 61 01")) << run.out.toStdString();
    bench.Do({"timing 0 0"});
    EXPECT_EQ(bench.Ask("get timing"), "OK 0 0");
    const std::pair<const char*, const char*> refused[] = {
        {"timing", "usage: timing P2 P1"},          {"timing 25", "usage: timing P2 P1"},
        {"timing 25 0 1", "usage: timing P2 P1"},   {"timing 5001 0", "bad P2 '5001', 0 to 5000 ms"},
        {"timing 25 21", "bad P1 '21', 0 to 20 ms"}, {"timing -1 0", "bad P2"},
        {"timing 25 x", "bad P1"},                  {"get timing now", "usage"},
    };
    for (const auto& [line, reason] : refused) {
        const QString answer = bench.Ask(line);
        EXPECT_TRUE(answer.startsWith("ERR ") && answer.contains(QLatin1String(reason)))
            << line << " gave: " << answer.toStdString();
    }
    EXPECT_EQ(bench.Ask("get timing"), "OK 0 0");
}

// A hidden bench on a virtual port, communication started.
class FaultModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bench.Started());
        bench.Do({"click ignition"});
        ASSERT_EQ(bench.Tester(Ask({"--to", "10", "81"})).exitCode, 0);
    }
    BenchRun bench;
};

// Each fault as the device under test meets it; TesterPresent 3E 01 is answered 81 F1 10 7E 00.
TEST_F(FaultModeTest, BusyPendingBrokenAndDroppedAnswersThroughKLineTester) {
    struct Row {
        const char* fault;
        QStringList args;  // after the device
        int exitCode;
        QStringList seen;
        double minReplyLatencyMs = 0;  // of the TesterPresent answer
    };
    const QStringList present = {"--to", "10", "3E", "01"};
    const Row rows[] = {
        // Past P2max (1000 ms) the tester still waits, as the 7F 3E 78 asked it to.
        {"fault pending 1500",
         present + QStringList{"--p2max", "1000"},
         0,
         {"<- 83 F1 10 7F 3E 78 B9  response pending  latency", "<- 81 F1 10 7E 00  latency"},
         1500},
        {"fault busy 1", Ask(present), 1, {"<- 83 F1 10 7F 3E 21 62  busy, repeat request"}},
        {"fault busy 2",
         Ask(present + QStringList{"--repeat", "3"}),
         1,
         {"busy, repeat request", "requests 3  replies 3  no reply 0  bad checksum 0  broken 0  busy 2  pending 0"}},
        // The reply's first two bytes, then 300 ms of silence.
        {"fault gap 300", Ask(present), 1, {"<- 81 F1  broken: the reply stopped for more than 20 ms after 2 bytes"}},
        // Cut without a pause: whole, however late the second write (a loaded machine).
        {"fault gap 0", Ask(present + QStringList{"--p1max", "1000"}), 0, {"<- 81 F1 10 7E 00  latency"}},
        {"clear report", {}, 0, {}},
        {"fault drop 2",
         QStringList{"--p2max", "1000", "--repeat", "4"} + present,
         1,
         {"requests 4  replies 2  no reply 2  bad checksum 0  broken 0"}},
        {"fault none", Ask(present + QStringList{"--repeat", "4"}), 0, {"replies 4  no reply 0"}},
    };
    for (const Row& row : rows) {
        bench.Do({row.fault});
        if (row.args.isEmpty()) continue;
        const auto run = bench.Tester(row.args);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.fault << "\n" << run.out.toStdString();
        for (const QString& seen : row.seen) {
            EXPECT_TRUE(run.out.contains(seen)) << row.fault << ": " << seen.toStdString() << "\n"
                                                << run.out.toStdString();
        }
        const auto latency = QRegularExpression(R"(<- 81 F1 10 7E 00  latency (\d+\.\d+) ms)").match(run.out);
        if (row.minReplyLatencyMs > 0) {
            EXPECT_GE(latency.captured(1).toDouble(), row.minReplyLatencyMs) << run.out.toStdString();
        }
        QTest::qWait(400);  // what a cut reply still sends must not be taken for the next one's
    }
    // The monitor counts the two dropped replies as kept off the line by a fault.
    const QString report = bench.Ask("get report");
    EXPECT_TRUE(report.contains("\"fault mode\":2")) << report.toStdString();
    EXPECT_TRUE(bench.messages.isEmpty()) << bench.messages.join('\n').toStdString();
}

TEST_F(FaultModeTest, GetFaultShowsTheModeAndTheBusyRepliesLeft) {
    const std::pair<const char*, const char*> rows[] = {
        {"fault pending 250", "OK pending 250"}, {"fault gap 1000", "OK gap 1000"},
        {"fault drop 1000", "OK drop 1000"},     {"fault busy 3", "OK busy 3"},
    };
    for (const auto& [set, get] : rows) {
        bench.Do({set});
        EXPECT_EQ(bench.Ask("get fault"), get);
    }
    EXPECT_EQ(bench.Tester(Ask({"--to", "10", "3E"})).exitCode, 1);
    EXPECT_EQ(bench.Ask("get fault"), "OK busy 2");
    EXPECT_EQ(bench.Tester(Ask({"--to", "10", "3E", "--repeat", "2"})).exitCode, 1);
    EXPECT_EQ(bench.Ask("get fault"), "OK none");  // used up: answers are normal again
    EXPECT_EQ(bench.Tester(Ask({"--to", "10", "3E"})).exitCode, 0);
    const std::pair<const char*, const char*> refused[] = {
        {"fault pending", "usage: fault pending MS"}, {"fault pending 5001", "bad pending '5001', 0 to 5000 ms"},
        {"fault gap 1001", "bad gap"},                {"fault busy 0", "bad busy '0', 1 to 1000 replies"},
        {"fault drop 1", "bad drop '1', 2 to 1000"},  {"fault drop 1001", "bad drop"},
        {"fault busy -1", "bad busy"},                {"fault gap 5 5", "usage: fault gap MS"},
        {"fault stall", "unknown fault 'stall'"},
    };
    for (const auto& [line, reason] : refused) {
        const QString answer = bench.Ask(line);
        EXPECT_TRUE(answer.startsWith("ERR ") && answer.contains(QLatin1String(reason)))
            << line << " gave: " << answer.toStdString();
    }
    EXPECT_EQ(bench.Ask("get fault"), "OK none");
}

}  // namespace
