#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include "BenchRun.h"

namespace {

// A figure kline-tester printed after `label`, e.g. "W1 " or "latency ".
double Figure(const QString& out, const char* label) {
    const auto match = QRegularExpression(QLatin1String(label) + R"((\d+\.\d+) ms)").match(out);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

// The whole slow init over the virtual port, as kline-tester plays it: the key bytes of each
// protocol, the windows no shorter than the standard's minimum, and the link it opens.
TEST(SlowInitRun, KeyBytesWindowsAndTheLinkTheyOpen) {
    BenchRun bench(true, [](CommandLineOptions& o) { o.obdProtocols = ObdProtocols::Parse("fast,iso9141"); });
    ASSERT_TRUE(bench.Started());
    EXPECT_EQ(bench.Ask("get obd protocols"), "OK fast,iso9141");
    EXPECT_EQ(bench.Ask("get slowinit"), "OK off");
    bench.Do({"click ignition", "variant B7"});
    struct Row {
        const char* command;  // run before the init
        QStringList args;
        const char* keys;
        const char* reply;
    };
    const Row rows[] = {
        {"obd protocols iso9141",
         {"--slowinit", "33", "--protocol", "iso9141", "--to", "33", "01", "0D"},
         "key bytes 08 08: ISO 9141-2",
         "<- 48 6B 10 41 0D 00 11  latency "},
        {"obd protocols slow",
         {"--slowinit", "33", "--functional", "--to", "33", "01", "0D"},
         "key bytes E9 8F: KWP2000",
         "<- 83 F1 10 41 0D 00 D2  latency "},
        {"slowinit on", {"--slowinit", "10", "--to", "10", "3E"}, "key bytes EF 8F: KWP2000", "<- 81 F1 10 7E 00  latency "},
    };
    for (const Row& row : rows) {
        bench.Do({row.command});
        const auto run = bench.Tester(row.args);
        const std::string out = run.out.toStdString();
        EXPECT_EQ(run.exitCode, 0) << row.command << "\n" << out;
        EXPECT_TRUE(run.out.contains(QLatin1String(row.keys))) << out;
        EXPECT_TRUE(run.out.contains(QLatin1String(row.reply))) << out;
        // Never early: a late controller is only slower, an early one breaks the tester.
        EXPECT_GE(Figure(run.out, "W1 "), 60) << out;
        EXPECT_GE(Figure(run.out, "W2 "), 5) << out;
        EXPECT_GE(Figure(run.out, "the controller's "), 25) << out;
    }
    EXPECT_EQ(bench.Ask("get slowinit"), "OK on");

    // ISO 9141-2: P2min held, and after P3max without a request a new init is needed.
    bench.Do({"obd protocols iso9141", "timing w1 150"});
    const QStringList rpm = {"--protocol", "iso9141", "--to", "33", "01", "0C"};
    auto init = bench.Tester(QStringList{"--slowinit", "33"} + rpm);
    EXPECT_EQ(init.exitCode, 0) << init.out.toStdString();
    EXPECT_GE(Figure(init.out, "W1 "), 150) << init.out.toStdString();
    EXPECT_GE(Figure(init.out, "latency "), 25) << init.out.toStdString();
    EXPECT_EQ(bench.Tester(rpm).exitCode, 0) << "the link stays open between requests";
    QTest::qWait(5200);
    auto dropped = bench.Tester(rpm);
    EXPECT_EQ(dropped.exitCode, 1) << dropped.out.toStdString();
    EXPECT_TRUE(dropped.out.contains("no reply")) << dropped.out.toStdString();

    // A wrong inverted key byte ends the init: no inverted address, and no link.
    auto wrong = bench.Tester({"--slowinit", "33", "--key-answer", "F6"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.out.contains("no inverted address")) << wrong.out.toStdString();
    EXPECT_EQ(bench.Tester(rpm).exitCode, 1);
}

}  // namespace
