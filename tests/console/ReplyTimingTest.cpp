#include <QTemporaryDir>
#include <QTest>
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/PseudoTerminal.h"
#include "support/QtPrinters.h"
#include "support/TextFile.h"
#include "settings/IniSettingsStore.h"
#include "monitor/LinkMonitor.h"
#include "line/ReplyLine.h"
#include "console/ObdSupport.h"
#include "console/TForm1.h"
#include "console/TForm2.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiLED.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
using Ms = std::chrono::milliseconds;

// The tester's end of a pseudo-terminal, read on a thread of its own so that every byte is
// stamped when it arrives, while the test's thread runs the window's event loop.
class StampingTester {
public:
    StampingTester() : reader_([this] { Read(); }) {}
    ~StampingTester() {
        stop_ = true;
        reader_.join();
    }

    QString Path() const { return QString::fromStdString(pty_.SlavePath()); }

    // Writes a request; returns the moment just before it was written.
    Clock::time_point Send(const Bytes& request) {
        const Clock::time_point before = Clock::now();
        pty_.Send(request);
        return before;
    }
    // Waits (running the event loop) until `count` bytes have come since the start.
    bool WaitForBytes(std::size_t count) {
        return QTest::qWaitFor([&] { return Received() >= count; }, 10000);
    }
    std::size_t Received() {
        std::lock_guard<std::mutex> guard(lock_);
        return bytes_.size();
    }
    std::pair<std::uint8_t, Clock::time_point> At(std::size_t index) {
        std::lock_guard<std::mutex> guard(lock_);
        return bytes_.at(index);
    }
    Bytes Range(std::size_t from, std::size_t count) {
        Bytes out;
        for (std::size_t i = from; i < from + count; ++i) out.push_back(At(i).first);
        return out;
    }

private:
    void Read() {
        while (!stop_) {
            pollfd p{pty_.Master(), POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            std::uint8_t buffer[256];
            const ssize_t n = read(pty_.Master(), buffer, sizeof buffer);
            const Clock::time_point now = Clock::now();
            std::lock_guard<std::mutex> guard(lock_);
            for (ssize_t i = 0; i < n; ++i) bytes_.emplace_back(buffer[i], now);
        }
    }

    PseudoTerminal pty_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<std::pair<std::uint8_t, Clock::time_point>> bytes_;
    std::thread reader_;  // last: it reads the terminal above
};

// 81 10 F1 81 03 → 83 F1 10 C1 6B 8F 3F; 82 10 F1 3E 01 C2 → 81 F1 10 7E 00; 81 10 F1 82 04 → 81 F1 10 C2 44
const Bytes kStart = {0x81, 0x10, 0xF1, 0x81, 0x03};
const Bytes kPresent = {0x82, 0x10, 0xF1, 0x3E, 0x01, 0xC2};
const Bytes kStop = {0x81, 0x10, 0xF1, 0x82, 0x04};
const Bytes kPresentReply = {0x81, 0xF1, 0x10, 0x7E, 0x00};
const Bytes kStopReply = {0x81, 0xF1, 0x10, 0xC2, 0x44};

// The program with its reply timing from the store, ignition on, lamps left as set.
class ReplyTimingTest : public ::testing::Test {
protected:
    void Start(const QByteArray& timingIni, const ConsoleOptions& base = {}) {
        const QString ini = dir_.filePath(QStringLiteral("s.ini"));
        WriteFile(ini, "[MK-Vorta-Tester]\nCOM-Port=" + tester_.Path().toUtf8() + "\n" + timingIni);
        ConsoleOptions options = base;
        options.messageSink = [this](const QString& m) { messages_ << m; };
        form_ = std::make_unique<TForm1>(options, std::make_unique<IniSettingsStore>(ini));
        form_->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
        form_->findChild<TUiColBitBtn*>(QStringLiteral("UiColBitBtn2"))->Click();  // ignition on
    }
    bool Lit(const char* lamp) { return form_->findChild<TUiLED*>(QString::fromLatin1(lamp))->Checked(); }
    void Dark() {
        form_->findChild<TUiLED*>(QStringLiteral("UiLED1"))->SetChecked(false);
        form_->findChild<TUiLED*>(QStringLiteral("UiLED2"))->SetChecked(false);
    }

    // The monitor's last row of that kind.
    const MonitorRow* LastRow(MonitorRowKind kind) {
        const MonitorRing& ring = form_->Monitor().Ring();
        for (std::uint64_t n = ring.NextNumber(); n > ring.FirstNumber(); --n) {
            if (ring.At(n - 1).kind == kind) return &ring.At(n - 1);
        }
        return nullptr;
    }

    QTemporaryDir dir_;
    StampingTester tester_;
    QStringList messages_;
    std::unique_ptr<TForm1> form_;
};

// P2 from the request, the window's loop running meanwhile, the answer lamp lit as the reply
// leaves, and a request that came while a reply waited answered after it, P2 after it.
TEST_F(ReplyTimingTest, RepliesWaitP2WithoutHoldingTheWindow) {
    Start("P2=1000\nP1=0\n");
    EXPECT_EQ(form_->Replies().Timing(), (ReplyTiming{1000, 0}));
    tester_.Send(kStart);
    ASSERT_TRUE(tester_.WaitForBytes(7));
    Dark();

    const Clock::time_point sent = tester_.Send(kPresent);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Lit("UiLED1"); }, 10000));  // the request is in
    EXPECT_FALSE(Lit("UiLED2"));                                         // its reply is not out
    std::size_t receivedWhenTheLoopRan = 0;
    QTimer::singleShot(0, form_.get(), [&] { receivedWhenTheLoopRan = tester_.Received(); });
    const Clock::time_point second = tester_.Send(kStop);  // while the first reply waits
    ASSERT_TRUE(tester_.WaitForBytes(7 + 10));
    EXPECT_EQ(receivedWhenTheLoopRan, 7u) << "the window's loop waited for the reply";
    EXPECT_TRUE(QTest::qWaitFor([&] { return Lit("UiLED2"); }, 10000));
    EXPECT_EQ(tester_.Range(7, 5), kPresentReply);
    EXPECT_EQ(tester_.Range(12, 5), kStopReply);
    EXPECT_GE(tester_.At(7).second, sent + Ms(1000));
    EXPECT_GE(tester_.At(12).second, second + Ms(1000));
    EXPECT_GE(tester_.At(12).second, sent + Ms(2000));  // P2 counted from the first reply's end
    // The monitor shows each reply when it left, not when it was composed.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return LastRow(MonitorRowKind::Reply) && LastRow(MonitorRowKind::Reply)->bytes == kStopReply; }, 10000));
    EXPECT_GE(LastRow(MonitorRowKind::Reply)->atUs, LastRow(MonitorRowKind::Request)->atUs + 1'000'000);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("; ").toStdString();
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
    EXPECT_EQ(tester_.Range(0, 7), Bytes({0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F}));
    for (std::size_t i = 1; i < 7; ++i) {
        EXPECT_GE(tester_.At(i).second, sent + Ms(8 * i)) << "byte " << i;
    }
    // The monitor's row spans the reply from its first to its last byte.
    ASSERT_TRUE(QTest::qWaitFor([&] { return LastRow(MonitorRowKind::Reply) != nullptr; }, 10000));
    const MonitorRow& reply = *LastRow(MonitorRowKind::Reply);
    EXPECT_EQ(reply.bytes.size(), 7u);
    EXPECT_GE(reply.atUs + reply.spanUs, LastRow(MonitorRowKind::Request)->atUs + 48'000);
}

// A bad stored time is reported, as a bad percentage is, and 0 is used in its place.
TEST_F(ReplyTimingTest, BadStoredTimesAreReportedAndZeroIsUsed) {
    Start("P2=25ms\nP1=21\n");
    EXPECT_EQ(form_->Replies().Timing(), (ReplyTiming{0, 0}));
    EXPECT_EQ(messages_, (QStringList{"'25ms' is not a valid integer value for P2; 0 ms is used.",
                                      "P1 = 21 is outside 0 to 20 ms; 0 ms is used."}));
    tester_.Send(kStart);
    ASSERT_TRUE(tester_.WaitForBytes(7));  // and the replies go out as soon as possible
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
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("; ").toStdString();
}

}  // namespace
