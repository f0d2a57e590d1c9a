#include "automation/BenchLinkTap.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

#include "console/QtPrinters.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The tap on a port that records what is written, tracing into a temporary file on a clock
// that counts calls. kline-tester shows each fault on the running program; these are the
// trace's content, the queue of delayed replies and errors no handler can catch.
class BenchLinkTapTest : public ::testing::Test {
protected:
    void OpenTrace() {
        QString error;
        ASSERT_TRUE(tap.OpenTrace(tracePath, &error, [this] { return ++clock; })) << error.toStdString();
    }
    QStringList TraceLines() {
        QFile file(tracePath);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    bool Out(const Bytes& frame) { return tap.FrameOut(frame.data(), static_cast<int>(frame.size())); }

    QTemporaryDir dir;
    QString tracePath = dir.filePath(QStringLiteral("trace.txt"));
    std::int64_t clock = 1000;
    std::vector<Bytes> port;
    QStringList errors;
    bool failWrites = false;
    BenchLinkTap tap{[this](const std::uint8_t* b, int n) {
                         if (failWrites) throw std::runtime_error("Write error (5), I/O error");
                         port.emplace_back(b, b + n);
                     },
                     [this](const QString& m) { errors << m; }};
    const Bytes startReply = {0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F};  // StartCommunication reply
    const Bytes presentReply = {0x81, 0xF1, 0x10, 0x7E, 0x00};              // TesterPresent reply
};

TEST_F(BenchLinkTapTest, TraceIsAppendedAndShowsWhatReallyLeaves) {
    QFile earlier(tracePath);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("17 RX 00\n");
    earlier.close();
    OpenTrace();
    const Bytes request = {0x82, 0x10, 0xF1, 0x21, 0x01, 0xA5};  // read live data block
    // A chunk is traced at its arrival, however long the main thread took to get to it.
    const auto arrival = std::chrono::steady_clock::time_point(std::chrono::microseconds(950));
    tap.ChunkRead(request.data(), static_cast<int>(request.size()), arrival);
    EXPECT_FALSE(Out(presentReply));  // no fault: the console writes it
    tap.Faults().SetFault(ReplyFaultMode::Silent);
    EXPECT_TRUE(Out(presentReply));
    tap.Faults().SetFault(ReplyFaultMode::BadChecksum);
    EXPECT_TRUE(Out(startReply));
    EXPECT_TRUE(Out({0x81, 0xF1, 0x10, 0x7E, 0xFF}));
    // 83 … 40: checksum 3F + 1; 81 F1 10 7E 00: a checksum of FF wraps to 00
    EXPECT_EQ(port, (std::vector<Bytes>{{0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x40}, presentReply}));
    EXPECT_EQ(TraceLines(), (QStringList{"17 RX 00", "950 RX 82 10 F1 21 01 A5", "1001 TX 81 F1 10 7E 00",
                                         "1002 TX 83 F1 10 C1 6B 8F 40", "1003 TX 81 F1 10 7E 00"}));
}

TEST_F(BenchLinkTapTest, DelayedRepliesKeepTheirOrderWithoutBlocking) {
    ReplyFaults& faults = tap.Faults();
    faults.SetFault(ReplyFaultMode::Delay, 300);
    EXPECT_TRUE(Out(startReply));
    EXPECT_EQ(faults.PendingFrames(), 1);  // handed back at once, nothing written yet
    faults.SetFault(ReplyFaultMode::Delay, 0);
    Out(presentReply);
    faults.SetFault(ReplyFaultMode::None);
    const Bytes stopReply = {0x81, 0xF1, 0x10, 0xC2, 0x44};
    EXPECT_TRUE(Out(stopReply));  // queues behind the waiting ones
    EXPECT_TRUE(port.empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return port.size() == 3; }, 5000));
    EXPECT_EQ(port, (std::vector<Bytes>{startReply, presentReply, stopReply}));
    EXPECT_FALSE(Out(startReply));  // queue empty again: back to the caller
}

TEST_F(BenchLinkTapTest, PortErrorOfADelayedReplyIsReportedNotThrown) {
    tap.Faults().SetFault(ReplyFaultMode::Delay, 0);
    failWrites = true;
    EXPECT_TRUE(Out(presentReply));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !errors.isEmpty(); }, 5000));
    EXPECT_EQ(errors, QStringList{"Write error (5), I/O error"});
}

TEST_F(BenchLinkTapTest, TraceThatCannotBeWrittenIsReportedOnceAndTheLinkGoesOn) {
    const QString full = QStringLiteral("/dev/full");  // every write: no space left on device
    if (!QFileInfo::exists(full)) GTEST_SKIP() << "no /dev/full here";
    QString error;
    ASSERT_TRUE(tap.OpenTrace(full, &error)) << error.toStdString();
    tap.SetEcho(true);
    const Bytes request = {0x81, 0x10, 0xF1, 0x3E, 0xC0};  // TesterPresent
    tap.ChunkRead(request.data(), static_cast<int>(request.size()), std::chrono::steady_clock::now());
    EXPECT_TRUE(errors.isEmpty());  // not from inside the link's handlers
    EXPECT_FALSE(Out(presentReply));
    tap.Faults().SetFault(ReplyFaultMode::BadChecksum);
    EXPECT_TRUE(Out(presentReply));
    tap.ChunkRead(request.data(), static_cast<int>(request.size()), std::chrono::steady_clock::now());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(errors, QStringList{QStringLiteral("cannot write trace file /dev/full: %1; the trace ends here")
                                      .arg(QString::fromLocal8Bit(std::strerror(ENOSPC)))});
    // 81 F1 10 7E 01: the faulted reply
    EXPECT_EQ(port, (std::vector<Bytes>{request, {0x81, 0xF1, 0x10, 0x7E, 0x01}, request}));
}

}  // namespace
