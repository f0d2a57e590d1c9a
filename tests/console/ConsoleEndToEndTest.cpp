#include <QLineEdit>
#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "ConsoleOnPty.h"
#include "console/CurveCycle.h"
#include "console/CycleDriver.h"
#include "console/ObdSupport.h"
#include "console/ParameterControls.h"
#include "console/TripCheckPanel.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiDial.h"
#include "widgets/TUiValueInd.h"

namespace {

// The whole window shown in a Russian locale, with a trip-check clock the test moves.
class ConsoleEndToEnd : public ConsoleOnPty {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override {
        ConsoleOnPty::TearDown();
        QLocale::setDefault(QLocale::c());
    }
    void Start(const QByteArray& ini = {}) {
        ConsoleOptions options;
        options.monotonicMs = [this] { return nowMs_; };
        ConsoleOnPty::Start(ini, options);
        form_->show();
    }

    void Tab(int index) { Find<QTabWidget>("PageControl1")->setCurrentIndex(index); }
    void Set(const char* control, float value) { Find<TUiAnalogCControl>(control)->SetValue(value); }
    void Keys(const char* control, Qt::Key key, int times) {
        auto* w = Find(control);
        w->setFocus();
        for (int i = 0; i < times; ++i) QTest::keyClick(w, key);
    }
    QString Text(const char* edit) { return Find<QLineEdit>(edit)->text(); }
    bool Down(const char* button) { return Find<TUiColBitBtn>(button)->Checked(); }
    bool Marked(const char* type) { return Find<QToolButton>(type)->property("marked").toBool(); }
    QTimer* Timer(const char* name) { return Find<QTimer>(name); }
    // 83 F1 10 C1 6B 8F 3F: communication started, keys 6B 8F
    void StartCommunication() {
        ASSERT_EQ(tester_.Exchange({0x81, 0x10, 0xF1, 0x81, 0x03}), Bytes({0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F}));
    }

    std::int64_t nowMs_ = 1'000'000;
};

TEST_F(ConsoleEndToEnd, StartsWithDefaultsAndMirrorsInTheUserLocale) {
    Start();
    const std::pair<const char*, const char*> mirrors[] = {
        {"Edit9", "0"},    {"Edit10", "20"},   {"Edit11", "0"}, {"Edit12", "0"},    {"Edit13", "0"},  {"Edit14", "0,0"},
        {"Edit15", "0,0"}, {"Edit16", "11,4"}, {"Edit18", "0"}, {"Edit24", "0,00"}, {"Edit1", "0,0"}, {"Edit2", "V5V13J02"},
    };
    for (const auto& [edit, text] : mirrors) EXPECT_EQ(Text(edit), QString::fromUtf8(text)) << edit;
    EXPECT_TRUE(Marked("Ja5"));
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Тестер БК \"ВОРТА\" ЛОРН-7 Веролин"));
    EXPECT_EQ(form_->size(), QSize(781, 639));
}

TEST_F(ConsoleEndToEnd, MirrorsAndConsumptionFollowTheControls) {
    Start();
    const QString nbsp(QChar(0x00A0));
    // Speed and fuel flow set; the speed, fuel flow and consumption mirrors and the fuel dial shown.
    const std::tuple<float, float, QString, QString, QString, float> rows[] = {
        {2, 40, "2", "40,0", "2" + nbsp + "000,0", 40.0f},  // the dial stops at 40, the mirror does not
        {0.25f, 40, "0", "40,0", "0,0", 0.0f},               // one grid step of speed counts as 0
        {3.5f, 1.0f, "4", "1,0", "25,0", 25.0f},              // halves go to the even neighbour
    };
    for (const auto& [speed, fuel, edit9, edit14, edit1, dial4] : rows) {
        Set("UiDial1", speed);
        Set("UiVSlider5", fuel);
        EXPECT_EQ(Text("Edit9"), edit9) << speed;
        EXPECT_EQ(Text("Edit14"), edit14) << fuel;
        EXPECT_EQ(Text("Edit1"), edit1) << speed << " " << fuel;
        EXPECT_NEAR(Find<TUiDial>("UiDial4")->Value(), dial4, 0.05f);
    }
}

TEST_F(ConsoleEndToEnd, LiveBlockAfterIgnitionAndEngineStart) {
    Start();
    Timer("Timer1")->stop();  // lamps stay as the emulator left them
    // Ignition off: the request lamp shows the request was taken, yet nothing answers it.
    tester_.Send({0x81, 0x10, 0xF1, 0x81, 0x03});
    EXPECT_TRUE(QTest::qWaitFor([&] { return Lit("UiLED1"); }, 2000));
    EXPECT_TRUE(tester_.Collect(1000).empty());
    EXPECT_FALSE(Lit("UiLED2"));
    Press("UiColBitBtn2");
    EXPECT_EQ(Text("Edit13"), "61");
    Press("UiColBitBtn1");
    EXPECT_TRUE(Down("UiColBitBtn3"));
    EXPECT_TRUE(Down("UiColBitBtn4"));
    StartCommunication();
    // A2 F1 10 61 01 …: the Ja5 block with the engine's presets N 900, A 61, Q 0.7, M 9.5, U 13.0,
    // I 900, J 2.00
    const Bytes expected = {0xA2, 0xF1, 0x10, 0x61, 0x01, 0x08, 0x35, 0x02, 0x00, 0x00, 0x20, 0x08, 0x02, 0x3C, 0x00,
                            0x00, 0x16, 0x5A, 0x00, 0x3D, 0x80, 0x00, 0x00, 0x9C, 0x00, 0xFA, 0x00, 0x5F, 0x00, 0x00,
                            0x00, 0x23, 0x00, 0x00, 0x00, 0x26, 0x10, 0x25};
    EXPECT_EQ(tester_.Exchange({0x82, 0x10, 0xF1, 0x21, 0x01, 0xA5}), expected);
    EXPECT_TRUE(Lit("UiLED2"));
    Set("UiDial1", 10);
    EXPECT_EQ(Text("Edit1"), "6,8");  // consumption uses the control's 0.68, not the mirror's 0.7
    Press("UiColBitBtn4");            // engine stopped from the tester tab: the ignition stays
    EXPECT_FALSE(Down("UiColBitBtn1"));
    EXPECT_TRUE(Down("UiColBitBtn3"));
    EXPECT_EQ(Text("Edit11"), "0");
    EXPECT_EQ(Text("Edit16"), "11,4");
}

// The type's ROM version replacing an edited one is the program scenario's; here the address.
TEST_F(ConsoleEndToEnd, ControllerTypeSwitchMovesTheAddressWhileCommunicating) {
    Start();
    Press("UiColBitBtn2");
    StartCommunication();
    Press("BMP");
    EXPECT_TRUE(Marked("BMP"));
    EXPECT_FALSE(Marked("Ja5"));
    // 81 F1 11 7E 01 to 3E at 0x11 at once; right after one to 0x10, it shows nothing came for that.
    tester_.Send({0x81, 0x10, 0xF1, 0x3E, 0xD0});
    EXPECT_EQ(tester_.Exchange({0x81, 0x11, 0xF1, 0x3E, 0xD1}), Bytes({0x81, 0xF1, 0x11, 0x7E, 0x01}));
    EXPECT_TRUE(tester_.Collect(300).empty());
}

TEST_F(ConsoleEndToEnd, TickedTroubleCodeIsReportedAndCounted) {
    Start();
    Press("UiColBitBtn2");
    StartCommunication();
    Tab(2);
    auto* list = Find<QListWidget>("CheckListBox1");
    ASSERT_EQ(list->count(), 113);
    ASSERT_TRUE(list->item(0)->text().startsWith("0102 "));
    list->setCurrentRow(0);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Space);
    // 85 F1 10 58 01 01 02 E0 C2: one code, 0102, status E0
    EXPECT_EQ(tester_.Exchange({0x81, 0x10, 0xF1, 0x18, 0x9A}),
              Bytes({0x85, 0xF1, 0x10, 0x58, 0x01, 0x01, 0x02, 0xE0, 0xC2}));
    Press("Ja7");
    const Bytes block = tester_.Exchange({0x82, 0x10, 0xF1, 0x21, 0x01, 0xA5});
    ASSERT_EQ(block.size(), 42u);  // A6 F1 10, 38 data bytes, checksum
    EXPECT_EQ(block[3 + 37], 0x01);  // the trouble count
}

TEST_F(ConsoleEndToEnd, ClearLampsGoDarkWhenTimer2Fires) {
    Start();
    Press("UiColBitBtn2");
    StartCommunication();
    // The wiring, not the 5 s, is under test; a second still outlasts the exchange on a slow machine.
    Timer("Timer2")->setInterval(1000);
    // 83 F1 10 54 00 00 D8: cleared
    EXPECT_EQ(tester_.Exchange({0x83, 0x10, 0xF1, 0x14, 0x00, 0x00, 0x98}),
              Bytes({0x83, 0xF1, 0x10, 0x54, 0x00, 0x00, 0xD8}));
    EXPECT_TRUE(Lit("UiLED3") && Lit("UiLED5") && Timer("Timer2")->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Lit("UiLED3") && !Lit("UiLED5"); }, 5000));
    EXPECT_FALSE(Timer("Timer2")->isActive());
    // The K-line lamps are dark again after Timer1's next tick.
    Find<TUiLED>("UiLED1")->SetChecked(true);
    Find<TUiLED>("UiLED2")->SetChecked(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Lit("UiLED1") && !Lit("UiLED2"); }, 1000));
}

TEST_F(ConsoleEndToEnd, TripCheckSixtySecondsOnTheInjectedClock) {
    Start();
    Keys("UiDial1", Qt::Key_PageUp, 24);     // 24 × 10 digits × 0.25 km/h = 60 km/h
    Keys("UiVSlider5", Qt::Key_PageUp, 15);  // 15 × 10 digits × 0.04 l/h = 6 l/h
    ASSERT_EQ(Text("Edit9"), "60");
    ASSERT_EQ(Text("Edit14"), "6,0");
    Press("UiColBitBtn2");
    Press("UiColBitBtn7");
    EXPECT_EQ(Text("Vremy"), "0.0.0");
    nowMs_ += 60'000;
    // One real Timer3 tick counts the whole minute.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Text("Vremy") != "0.0.0"; }, 2000));
    EXPECT_EQ(Text("Vremy"), "0:01:00");
    const std::pair<const char*, float> indicators[] = {
        {"UiValueIndPut", 1.0f}, {"UiValueIndRashod", 0.1f}, {"UiValueIndSredSkor", 60.0f},
        {"UiValueIndSredRash", 10.0f}};
    for (const auto& [name, value] : indicators) EXPECT_NEAR(Find<TUiValueInd>(name)->Value(), value, 1e-4) << name;
}

TEST_F(ConsoleEndToEnd, IgnitionOffStopsTheCheckFromTabOneOnly) {
    Start();
    auto timersRun = [&](bool run) {
        for (const char* t : {"Timer3", "Timer4", "Timer5"}) EXPECT_EQ(Timer(t)->isActive(), run) << t;
    };
    Press("UiColBitBtn2");
    Press("UiColBitBtn7");
    Press("UiColBitBtn11");
    Tab(1);
    Press("UiColBitBtn3");  // off from the tester tab: everything keeps running
    EXPECT_FALSE(Down("UiColBitBtn2"));
    timersRun(true);
    Press("UiColBitBtn3");
    Tab(0);
    Press("UiColBitBtn2");  // off from the trip computer tab: the check's timers stop
    timersRun(false);
    EXPECT_TRUE(Down("UiColBitBtn7"));
    EXPECT_TRUE(form_->TripCheckControls().TripCheckRunning());
    EXPECT_EQ(Text("Edit13"), "0");
}

TEST_F(ConsoleEndToEnd, CurveStandsStillWithoutIgnitionAndDrivesSpeedWithIt) {
    Start();
    TripCheckPanel& trip = form_->TripCheckControls();
    Press("UiColBitBtn11");
    trip.Timer5Timer();
    EXPECT_EQ(trip.CurveTick(), 0);
    Press("UiColBitBtn1");  // the engine started from ignition off turns the ignition on
    EXPECT_TRUE(Down("UiColBitBtn2"));
    for (int i = 0; i < 10; ++i) trip.Timer5Timer();
    EXPECT_EQ(trip.CurveTick(), 10);
    EXPECT_EQ(Text("Edit9"), "10");
    EXPECT_EQ(Text("Edit14"), "20,0");
    Press("UiColBitBtn11");  // stopping the curve sets it back
    EXPECT_EQ(trip.CurveTick(), 0);
}

// The console's values and clock reach the PIDs; each PID's encoding is the emulator's own test.
TEST_F(ConsoleEndToEnd, ObdAnswersForTheTypesThatCarryItFromTheConsoleValues) {
    Start();
    auto* mark = Find("ObdMark");
    EXPECT_TRUE(mark->isHidden());  // Ja5 carries no OBD-II
    Press("UiColBitBtn2");
    // C1 33 F1 81 66: a functional StartCommunication goes unanswered for Ja5
    tester_.Send({0xC1, 0x33, 0xF1, 0x81, 0x66});
    EXPECT_TRUE(tester_.Collect(1000).empty());
    Press("B7");
    EXPECT_FALSE(mark->isHidden());
    // below the toolbar's free end, right of the last tab
    auto* tabs = Find<QTabWidget>("PageControl1");
    const QRect lastTab = tabs->tabBar()->tabRect(tabs->count() - 1);
    EXPECT_LT(tabs->tabBar()->mapTo(form_.get(), lastTab.topRight()).x(), mark->geometry().left());
    EXPECT_GT(mark->geometry().left(), Find("b17")->mapTo(form_.get(), QPoint(117, 0)).x());
    EXPECT_LE(mark->geometry().right(), 780);
    EXPECT_EQ(tester_.Exchange({0xC1, 0x33, 0xF1, 0x81, 0x66}), Bytes({0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3}));
    // 41 1F 00 2A: 42 s since the engine button; 41 0C 0E 10: 900 rpm read from the Russian mirror
    Press("UiColBitBtn1");
    nowMs_ += 42'700;
    EXPECT_EQ(tester_.Exchange({0xC2, 0x33, 0xF1, 0x01, 0x1F, 0x06}), Bytes({0x84, 0xF1, 0x10, 0x41, 0x1F, 0x00, 0x2A, 0x0F}));
    EXPECT_EQ(tester_.Exchange({0xC2, 0x33, 0xF1, 0x01, 0x0C, 0xF3}), Bytes({0x84, 0xF1, 0x10, 0x41, 0x0C, 0x0E, 0x10, 0xF0}));
    Press("UiColBitBtn1");  // stopped: the run time starts afresh next time
    EXPECT_EQ(tester_.Exchange({0xC2, 0x33, 0xF1, 0x01, 0x1F, 0x06}), Bytes({0x84, 0xF1, 0x10, 0x41, 0x1F, 0x00, 0x00, 0xE5}));
    // 04 clears the console's list: 81 F1 10 44 C6
    auto* list = Find<QListWidget>("CheckListBox1");
    list->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(tester_.Exchange({0xC1, 0x33, 0xF1, 0x04, 0xE9}), Bytes({0x81, 0xF1, 0x10, 0x44, 0xC6}));
    EXPECT_EQ(list->item(0)->checkState(), Qt::Unchecked);
    // The option switched on for a type that does not carry OBD-II shows too.
    Press("Ja7");
    EXPECT_TRUE(mark->isHidden());
    form_->Obd().SetAll(true);  // as --obd on or the control command would
    EXPECT_FALSE(mark->isHidden());
}

// The stored OBD-II choice reaches the window and the controller at start; the values read
// from the store are the settings' own test, the dialog's choice the reply timing test's.
TEST_F(ConsoleEndToEnd, StoredObdChoiceHoldsFromTheStart) {
    Start("OBD-Ja5=1\n");
    EXPECT_FALSE(Find("ObdMark")->isHidden());
    Press("UiColBitBtn2");
    EXPECT_EQ(tester_.Exchange({0xC1, 0x33, 0xF1, 0x81, 0x66}), Bytes({0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F}));
}

// The built-in curve driven from the tab's room on the test's clock: the specified tabs keep
// their places, the engine starts and the trip check counts with the cycle and stops at its
// end, and the tolerances come from the settings (a bad one gives its default).
TEST_F(ConsoleEndToEnd, CycleDrivesTheControlsAndTheTripCheckCountsWithIt) {
    Start("CycleToleranceDistance=0.5\nCycleToleranceFuel=lots\n");
    auto* tabs = Find<QTabWidget>("PageControl1");
    ASSERT_EQ(tabs->count(), 6);
    EXPECT_EQ(tabs->tabText(4), QStringLiteral("О программе"));
    EXPECT_EQ(tabs->tabText(5), QStringLiteral("Ездовой цикл"));
    EXPECT_EQ(Text("CycleToleranceDistance"), "0.5");
    EXPECT_EQ(Text("CycleToleranceFuel"), "2");
    EXPECT_TRUE(form_->StartCycle(QStringLiteral("/nonexistent/cycle.csv")).contains("no cycle named"));

    ASSERT_EQ(form_->StartCycle(QStringLiteral("curve")), QString());
    EXPECT_TRUE(Down("UiColBitBtn1"));
    EXPECT_TRUE(Down("UiColBitBtn7"));
    CycleDriver& cycles = form_->Cycles();
    for (int tick = 1; cycles.Running(); ++tick) {
        nowMs_ += 100;
        cycles.Tick();
        form_->TripCheckControls().Timer3Timer();
        if (tick == 15) {  // the curve's 10 km/h at 20 l/h
            EXPECT_EQ(Text("Edit9"), "10");
            EXPECT_EQ(Text("Edit14"), "20,0");
        }
    }
    EXPECT_EQ(cycles.Run().GetState(), CycleRun::State::Finished);
    EXPECT_FALSE(Down("UiColBitBtn7"));
    const TripTotals console = cycles.Run().Total().console;
    EXPECT_EQ(console.elapsedMs, 70'000);
    EXPECT_NEAR(console.distanceKm, CurveCycle().DistanceKm(0, 70), 0.005);
    EXPECT_NEAR(Find<TUiValueInd>("UiValueIndPut")->Value(), console.distanceKm, 1e-4);
    EnteredFigures read;
    read.distanceKm = console.distanceKm;
    read.fuelL = console.fuelL;
    cycles.Run().Enter(read);
    EXPECT_EQ(cycles.Run().CurrentVerdict().state, VerdictState::NoReplies);  // nobody polled
}

}  // namespace
