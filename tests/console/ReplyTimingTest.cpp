#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <chrono>

#include "ConsoleOnPty.h"
#include "console/ObdSupport.h"
#include "console/TForm2.h"
#include "line/ReplyLine.h"
#include "monitor/LinkMonitor.h"
#include "widgets/TUiColBitBtn.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// 81 10 F1 81 03 → 83 F1 10 C1 6B 8F 3F; 82 10 F1 3E 01 C2 → 81 F1 10 7E 00; 81 10 F1 82 04 → 81 F1 10 C2 44
const PtyTester::Bytes kStart = {0x81, 0x10, 0xF1, 0x81, 0x03};
const PtyTester::Bytes kStopReply = {0x81, 0xF1, 0x10, 0xC2, 0x44};

// The window hidden with its reply timing from the store, ignition on, lamps left as set.
class ReplyTimingTest : public ConsoleOnPty {
protected:
    void Start(const QByteArray& timingIni, const ConsoleOptions& options = {}) {
        ConsoleOnPty::Start(timingIni, options);
        Find<QTimer>("Timer1")->stop();
        Find<TUiColBitBtn>("UiColBitBtn2")->Click();  // ignition on
    }
    // The monitor's last row of that kind.
    const MonitorRow* LastRow(MonitorRowKind kind) {
        const MonitorRing& ring = form_->Monitor().Ring();
        for (std::uint64_t n = ring.NextNumber(); n > ring.FirstNumber(); --n) {
            if (ring.At(n - 1).kind == kind) return &ring.At(n - 1);
        }
        return nullptr;
    }
};

// P2 from the request, the window's loop running meanwhile, the answer lamp lit as the reply
// leaves, and a request that came while a reply waited answered after it, P2 after it.
TEST_F(ReplyTimingTest, RepliesWaitP2WithoutHoldingTheWindow) {
    Start("P2=1000\nP1=0\n");
    EXPECT_EQ(form_->Replies().Timing(), (ReplyTiming{1000, 0}));
    tester_.Send(kStart);
    ASSERT_TRUE(tester_.WaitForBytes(7));
    for (const char* lamp : {"UiLED1", "UiLED2"}) Find<TUiLED>(lamp)->SetChecked(false);

    const Clock::time_point sent = tester_.Send({0x82, 0x10, 0xF1, 0x3E, 0x01, 0xC2});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Lit("UiLED1"); }, 10000));  // the request is in
    EXPECT_FALSE(Lit("UiLED2"));                                         // its reply is not out
    std::size_t receivedWhenTheLoopRan = 0;
    QTimer::singleShot(0, form_.get(), [&] { receivedWhenTheLoopRan = tester_.Received(); });
    const Clock::time_point second = tester_.Send({0x81, 0x10, 0xF1, 0x82, 0x04});  // while the first reply waits
    ASSERT_TRUE(tester_.WaitForBytes(7 + 10));
    EXPECT_EQ(receivedWhenTheLoopRan, 7u) << "the window's loop waited for the reply";
    EXPECT_TRUE(QTest::qWaitFor([&] { return Lit("UiLED2"); }, 10000));
    EXPECT_EQ(tester_.Range(7, 5), (Bytes{0x81, 0xF1, 0x10, 0x7E, 0x00}));
    EXPECT_EQ(tester_.Range(12, 5), kStopReply);
    EXPECT_GE(tester_.ArrivalOf(7), sent + Ms(1000));
    EXPECT_GE(tester_.ArrivalOf(12), second + Ms(1000));
    EXPECT_GE(tester_.ArrivalOf(12), sent + Ms(2000));  // P2 counted from the first reply's end
    // The monitor shows each reply when it left, not when it was composed.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return LastRow(MonitorRowKind::Reply) && LastRow(MonitorRowKind::Reply)->bytes == kStopReply; }, 10000));
    EXPECT_GE(LastRow(MonitorRowKind::Reply)->atUs, LastRow(MonitorRowKind::Request)->atUs + 1'000'000);
}

// P1 between the bytes of a reply; a run's own times replace the stored ones.
TEST_F(ReplyTimingTest, BytesLeaveP1Apart) {
    ConsoleOptions options;
    options.p2Ms = 0;
    options.p1Ms = 8;
    Start("P2=3000\nP1=0\n", options);
    EXPECT_EQ(form_->Replies().Timing(), (ReplyTiming{0, 8}));
    const Clock::time_point sent = tester_.Send(kStart);
    ASSERT_TRUE(tester_.WaitForBytes(7));
    for (std::size_t i = 1; i < 7; ++i) EXPECT_GE(tester_.ArrivalOf(i), sent + Ms(8 * i)) << "byte " << i;
    // The monitor's row spans the reply from its first to its last byte.
    ASSERT_TRUE(QTest::qWaitFor([&] { return LastRow(MonitorRowKind::Reply) != nullptr; }, 10000));
    const MonitorRow& reply = *LastRow(MonitorRowKind::Reply);
    EXPECT_EQ(reply.bytes.size(), 7u);
    EXPECT_GE(reply.atUs + reply.spanUs, LastRow(MonitorRowKind::Request)->atUs + 48'000);
}

// The dialog's reply timing, framing and OBD-II choice hold as soon as OK is pressed, also over
// a run's own.
TEST_F(ReplyTimingTest, TheDialogAppliesTimingAndFramingAtOnce) {
    ConsoleOptions options;
    options.p2Ms = 100;
    Start("P2=0\nP1=0\n", options);
    TForm2 dialog(form_->Store(), MessageReporter([this](const QString& m) { messages_ << m; }), nullptr,
                  dir_.filePath(QStringLiteral("dev")));
    form_->SetSettingsDialog(&dialog);
    dialog.LoadAndShow();
    dialog.findChild<QSpinBox*>("SpinBoxP2")->setValue(40);
    dialog.findChild<QSpinBox*>("SpinBoxP1")->setValue(3);
    dialog.findChild<QCheckBox*>("CheckBoxRealFramingJa7")->setChecked(true);
    dialog.findChild<QCheckBox*>("CheckBoxObdJa5")->setChecked(true);
    EXPECT_EQ(form_->Replies().Timing(), (ReplyTiming{100, 0}));  // nothing before OK
    EXPECT_FALSE(form_->Obd().Enabled(EcuVariant::Ja5));
    QTest::mouseClick(dialog.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(form_->Replies().Timing(), (ReplyTiming{40, 3}));
    EXPECT_TRUE(form_->Obd().Enabled(EcuVariant::Ja5));
    EXPECT_EQ(form_->Framing().For(EcuVariant::Ja7), ReplyFraming::Real);
    EXPECT_EQ(form_->Framing().For(EcuVariant::Ja5), ReplyFraming::Compact);
    form_->SetSettingsDialog(nullptr);
}

}  // namespace
