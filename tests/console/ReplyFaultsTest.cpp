#include "console/ReplyFaults.h"

#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int v : values) {
        bytes.append(static_cast<char>(v));
    }
    return bytes;
}

class ReplyFaultsTest : public ::testing::Test {
protected:
    bool Out(const QByteArray& frame) {
        return faults.FrameOut(reinterpret_cast<const std::uint8_t*>(frame.constData()),
                               static_cast<int>(frame.size()));
    }

    std::vector<QByteArray> written;
    ReplyFaults faults{[this](const QByteArray& frame) { written.push_back(frame); }};
    // 83 F1 10 C1 6B 8F 3F: StartCommunication reply
    const QByteArray startReply = Bytes({0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F});
    // 81 F1 10 7E 00: TesterPresent reply, checksum 00
    const QByteArray presentReply = Bytes({0x81, 0xF1, 0x10, 0x7E, 0x00});
};

TEST_F(ReplyFaultsTest, NoneLeavesTheFrameToTheCallerSilentDropsIt) {
    EXPECT_FALSE(Out(startReply));
    faults.SetFault(ReplyFaultMode::Silent);
    EXPECT_TRUE(Out(startReply));
    QTest::qWait(20);
    EXPECT_TRUE(written.empty());
}

TEST_F(ReplyFaultsTest, BadChecksumIsOffByOneAndWraps) {
    faults.SetFault(ReplyFaultMode::BadChecksum);
    EXPECT_TRUE(Out(startReply));
    // 83 F1 10 C1 6B 8F 40: checksum 3F + 1
    // 81 F1 10 7E FF: a checksum of FF wraps to 00
    EXPECT_TRUE(Out(Bytes({0x81, 0xF1, 0x10, 0x7E, 0xFF})));
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0], Bytes({0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x40}));
    EXPECT_EQ(written[1], Bytes({0x81, 0xF1, 0x10, 0x7E, 0x00}));
}

TEST_F(ReplyFaultsTest, DelayWritesLaterWithoutBlocking) {
    faults.SetFault(ReplyFaultMode::Delay, 80);
    EXPECT_TRUE(Out(startReply));
    EXPECT_TRUE(written.empty());  // handed back at once, nothing written yet
    EXPECT_EQ(faults.PendingFrames(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !written.empty(); }, 5000));
    EXPECT_EQ(written, std::vector<QByteArray>{startReply});
}

TEST_F(ReplyFaultsTest, RepliesKeepTheirOrderWhenTheDelayShrinks) {
    faults.SetFault(ReplyFaultMode::Delay, 300);
    Out(startReply);
    faults.SetFault(ReplyFaultMode::Delay, 0);
    Out(presentReply);
    faults.SetFault(ReplyFaultMode::None);
    const QByteArray third = Bytes({0x81, 0xF1, 0x10, 0xC2, 0x44});  // StopCommunication reply
    EXPECT_TRUE(Out(third));  // must queue behind the waiting ones
    EXPECT_TRUE(QTest::qWaitFor([&] { return written.size() == 3; }, 5000));
    EXPECT_EQ(written, (std::vector<QByteArray>{startReply, presentReply, third}));
    EXPECT_FALSE(Out(startReply));  // queue empty again: back to the caller
}

TEST_F(ReplyFaultsTest, DelayIsClampedToItsRange) {
    faults.SetFault(ReplyFaultMode::Delay, 99999);
    EXPECT_EQ(faults.DelayMs(), ReplyFaults::kMaxDelayMs);
    faults.SetFault(ReplyFaultMode::Delay, -5);
    EXPECT_EQ(faults.DelayMs(), 0);
    faults.SetFault(ReplyFaultMode::Silent, 100);
    EXPECT_EQ(faults.DelayMs(), 0);
}

}  // namespace
