#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include "console/OperatorPanel.h"
#include "monitor/LinkMonitor.h"
#include "support/BenchRun.h"

namespace {

// A tester that writes byte by byte, each after its echo, against the bench in this process:
// the monitor's rows stay in time order, each request before the echo of its first byte, no
// pause negative.
TEST(MonitorOrder, RowsStayInTimeOrderWithTheEchoOfEachByte) {
    BenchRun bench;
    ASSERT_TRUE(bench.Started());
    bench.Do({"click ignition"});
    QProcess tester;
    tester.setProcessChannelMode(QProcess::MergedChannels);
    tester.start(QStringLiteral(KLINE_TESTER_PATH), {bench.TesterPort(), "--p2max", "1000", "--echo", "bytewise",
                                                     "--to", "10", "81", "--to", "10", "3E"});
    // This process serves the link meanwhile.
    ASSERT_TRUE(QTest::qWaitFor([&] { return tester.state() == QProcess::NotRunning; }, 60000));
    ASSERT_EQ(tester.exitCode(), 0) << tester.readAll().toStdString();

    const MonitorRing& ring = bench.Session().Panel().Monitor().Ring();
    int requests = 0;
    bool echoSeen = false;
    for (std::uint64_t n = ring.FirstNumber(); n < ring.NextNumber(); ++n) {
        const MonitorRow& row = ring.At(n);
        if (n > ring.FirstNumber()) {
            EXPECT_GE(row.atUs, ring.At(n - 1).atUs) << "row " << n;
        }
        if (row.kind == MonitorRowKind::Request) {
            ++requests;
            EXPECT_FALSE(echoSeen) << "the echo of request " << requests << " came before it";
        }
        if (row.event == LinkEvent::Echo) echoSeen = true;
        if (row.kind == MonitorRowKind::Reply) echoSeen = false;
    }
    EXPECT_EQ(requests, 2);
}

}  // namespace
