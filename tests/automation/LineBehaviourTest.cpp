#include <QRegularExpression>
#include <gtest/gtest.h>

#include "BenchRun.h"

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
