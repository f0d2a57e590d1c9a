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

#include "support/HexBytes.h"
#include "support/QtPrinters.h"

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
    const Bytes startReply = Hex("83 F1 10 C1 6B 8F 3F");  // StartCommunication reply
    const Bytes presentReply = Hex("81 F1 10 7E 00");        // TesterPresent reply
};

TEST_F(BenchLinkTapTest, TraceIsAppendedAndShowsWhatReallyLeaves) {
    QFile earlier(tracePath);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("17 RX 00\n");
    earlier.close();
    OpenTrace();
    const Bytes request = Hex("82 10 F1 21 01 A5");  // read live data block
    // A chunk is traced at its arrival, however long the main thread took to get to it, and a
    // reply when it left, however long it waited for its moment.
    const auto arrival = std::chrono::steady_clock::time_point(std::chrono::microseconds(950));
    tap.ChunkRead(request.data(), static_cast<int>(request.size()), arrival);
    EXPECT_FALSE(Out(presentReply));  // no fault: the console writes it and says when it left
    tap.FrameLeft(presentReply.data(), static_cast<int>(presentReply.size()),
                  std::chrono::steady_clock::time_point(std::chrono::microseconds(980)));
    tap.Faults().SetFault(ReplyFaultMode::Silent);
    EXPECT_TRUE(Out(presentReply));
    tap.Faults().SetFault(ReplyFaultMode::BadChecksum);
    EXPECT_TRUE(Out(startReply));
    EXPECT_TRUE(Out(Hex("81 F1 10 7E FF")));
    // 83 … 40: checksum 3F + 1; 81 F1 10 7E 00: a checksum of FF wraps to 00
    EXPECT_EQ(HexFrames(port), "83 F1 10 C1 6B 8F 40 | 81 F1 10 7E 00");
    EXPECT_EQ(TraceLines(), (QStringList{"17 RX 00", "950 RX 82 10 F1 21 01 A5", "980 TX 81 F1 10 7E 00",
                                         "1001 TX 83 F1 10 C1 6B 8F 40", "1002 TX 81 F1 10 7E 00"}));
}

TEST_F(BenchLinkTapTest, DelayedRepliesKeepTheirOrderWithoutBlocking) {
    ReplyFaults& faults = tap.Faults();
    faults.SetFault(ReplyFaultMode::Delay, 300);
    EXPECT_TRUE(Out(startReply));
    EXPECT_EQ(faults.PendingFrames(), 1);  // handed back at once, nothing written yet
    faults.SetFault(ReplyFaultMode::Delay, 0);
    Out(presentReply);
    faults.SetFault(ReplyFaultMode::None);
    const Bytes stopReply = Hex("81 F1 10 C2 44");
    EXPECT_TRUE(Out(stopReply));  // queues behind the waiting ones
    EXPECT_TRUE(port.empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return port.size() == 3; }, 5000));
    EXPECT_EQ(port, (std::vector<Bytes>{startReply, presentReply, stopReply}));
    EXPECT_FALSE(Out(startReply));  // queue empty again: back to the caller
}

// Busy and pending answers name the service the reply answers, addressed as the reply; a gap
// cuts the frame in its middle; drop counts replies from the moment it was set.
TEST_F(BenchLinkTapTest, NegativeAnswersCutsAndDropsOfReplies) {
    std::vector<ReplyPieces> replies;
    tap.SetReplyWriter([&](const ReplyPieces& r) { replies.push_back(r); });
    const Bytes refusal = Hex("83 F1 11 7F 21 12 37");  // 7F 21 12 from 0x11
    // mode, its value, the reply, the pieces written, each after its pause ("+N ms", none: at once).
    // Busy, pending and a gap in a positive reply the tester meets in the program scenarios.
    const std::tuple<ReplyFaultMode, int, Bytes, const char*> rows[] = {
        {ReplyFaultMode::Busy, 5, refusal, "83 F1 11 7F 21 21 46"},
        {ReplyFaultMode::Pending, 0, refusal, "83 F1 11 7F 21 78 9D | 83 F1 11 7F 21 12 37"},
        {ReplyFaultMode::Gap, 30, startReply, "83 F1 10 | +30 ms C1 6B 8F 3F"},  // 7 bytes: cut after 3
    };
    for (const auto& [mode, value, reply, pieces] : rows) {
        replies.clear();
        tap.Faults().SetFault(mode, value);
        EXPECT_TRUE(Out(reply));
        ASSERT_EQ(replies.size(), 1u) << pieces;
        std::string written;
        for (const auto& piece : replies[0]) {
            const std::string pause = piece.pauseBeforeMs ? "+" + std::to_string(piece.pauseBeforeMs) + " ms " : "";
            written += (written.empty() ? "" : " | ") + pause + HexText(piece.bytes);
        }
        EXPECT_EQ(written, pieces);
    }
    replies.clear();
    tap.Faults().SetFault(ReplyFaultMode::Drop, 3);
    std::vector<bool> takenOver;
    for (int i = 0; i < 7; ++i) takenOver.push_back(Out(presentReply));
    EXPECT_EQ(takenOver, (std::vector<bool>{false, false, true, false, false, true, false}));
    tap.Faults().SetFault(ReplyFaultMode::Drop, 3);  // set again: counts from zero
    for (const bool taken : {false, false, true}) EXPECT_EQ(Out(presentReply), taken);
    EXPECT_TRUE(replies.empty());
    EXPECT_TRUE(port.empty());
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
    const Bytes request = Hex("81 10 F1 3E C0");  // TesterPresent
    tap.ChunkRead(request.data(), static_cast<int>(request.size()), std::chrono::steady_clock::now());
    EXPECT_TRUE(errors.isEmpty());  // not from inside the link's handlers
    EXPECT_FALSE(Out(presentReply));
    tap.Faults().SetFault(ReplyFaultMode::BadChecksum);
    EXPECT_TRUE(Out(presentReply));
    tap.ChunkRead(request.data(), static_cast<int>(request.size()), std::chrono::steady_clock::now());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(errors, QStringList{QStringLiteral("cannot write trace file /dev/full: %1; the trace ends here")
                                      .arg(QString::fromLocal8Bit(std::strerror(ENOSPC)))});
    EXPECT_EQ(HexFrames(port), "81 10 F1 3E C0 | 81 F1 10 7E 01 | 81 10 F1 3E C0");  // the middle one faulted
}

}  // namespace
