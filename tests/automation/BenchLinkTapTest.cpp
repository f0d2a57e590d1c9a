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
    EXPECT_TRUE(Out({0x81, 0xF1, 0x10, 0x7E, 0xFF}));
    // 83 … 40: checksum 3F + 1; 81 F1 10 7E 00: a checksum of FF wraps to 00
    EXPECT_EQ(port, (std::vector<Bytes>{{0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x40}, presentReply}));
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
    const Bytes stopReply = {0x81, 0xF1, 0x10, 0xC2, 0x44};
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
    const Bytes refusal = {0x83, 0xF1, 0x11, 0x7F, 0x21, 0x12, 0x37};  // 7F 21 12 from 0x11
    struct Row {
        ReplyFaultMode mode;
        int value;
        Bytes reply;
        std::vector<std::pair<Bytes, int>> pieces;  // bytes, pause before
    };
    const Row rows[] = {
        // C1 answers 81; 7F 81 21 / 78
        {ReplyFaultMode::Busy, 5, startReply, {{{0x83, 0xF1, 0x10, 0x7F, 0x81, 0x21, 0xA5}, 0}}},
        {ReplyFaultMode::Busy, 5, refusal, {{{0x83, 0xF1, 0x11, 0x7F, 0x21, 0x21, 0x46}, 0}}},
        {ReplyFaultMode::Pending, 70, startReply, {{{0x83, 0xF1, 0x10, 0x7F, 0x81, 0x78, 0xFC}, 0}, {startReply, 70}}},
        {ReplyFaultMode::Pending, 0, refusal, {{{0x83, 0xF1, 0x11, 0x7F, 0x21, 0x78, 0x9D}, 0}, {refusal, 0}}},
        {ReplyFaultMode::Gap, 30, startReply, {{{0x83, 0xF1, 0x10}, 0}, {{0xC1, 0x6B, 0x8F, 0x3F}, 30}}},
        {ReplyFaultMode::Gap, 1000, presentReply, {{{0x81, 0xF1}, 0}, {{0x10, 0x7E, 0x00}, 1000}}},
    };
    for (const Row& row : rows) {
        replies.clear();
        tap.Faults().SetFault(row.mode, row.value);
        EXPECT_TRUE(Out(row.reply));
        ASSERT_EQ(replies.size(), 1u) << static_cast<int>(row.mode);
        ASSERT_EQ(replies[0].size(), row.pieces.size()) << static_cast<int>(row.mode);
        for (std::size_t i = 0; i < row.pieces.size(); ++i) {
            EXPECT_EQ(replies[0][i].bytes, row.pieces[i].first) << static_cast<int>(row.mode) << " piece " << i;
            EXPECT_EQ(replies[0][i].pauseBeforeMs, row.pieces[i].second) << static_cast<int>(row.mode);
        }
    }
    replies.clear();
    tap.Faults().SetFault(ReplyFaultMode::Drop, 3);
    std::vector<bool> takenOver;
    for (int i = 0; i < 7; ++i) takenOver.push_back(Out(presentReply));
    EXPECT_EQ(takenOver, (std::vector<bool>{false, false, true, false, false, true, false}));
    tap.Faults().SetFault(ReplyFaultMode::Drop, 3);  // set again: counts from zero
    EXPECT_FALSE(Out(presentReply));
    EXPECT_FALSE(Out(presentReply));
    EXPECT_TRUE(Out(presentReply));
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
