#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "ConsoleOnPty.h"
#include "driveview/CurveCycle.h"
#include "driveview/CycleDriver.h"
#include "console/ObdSupport.h"
#include "console/ParameterControls.h"
#include "console/TripCheckPanel.h"
#include "support/HexBytes.h"
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

    void Set(const char* control, float value) { Find<TUiAnalogCControl>(control)->SetValue(value); }
    QString Text(const char* edit) { return Find<QLineEdit>(edit)->text(); }
    bool Down(const char* button) { return Find<TUiColBitBtn>(button)->Checked(); }
    QTimer* Timer(const char* name) { return Find<QTimer>(name); }
    // 83 F1 10 C1 6B 8F 3F: communication started, keys 6B 8F
    void StartCommunication() {
        ASSERT_EQ(tester_.Exchange({0x81, 0x10, 0xF1, 0x81, 0x03}), Bytes({0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F}));
    }

    std::int64_t nowMs_ = 1'000'000;
};

TEST_F(ConsoleEndToEnd, StartsWithDefaultsAndMirrorsFollowTheControlsInTheUserLocale) {
    Start();
    const std::pair<const char*, const char*> mirrors[] = {
        {"Edit9", "0"},    {"Edit10", "20"},   {"Edit11", "0"}, {"Edit12", "0"},    {"Edit13", "0"},  {"Edit14", "0,0"},
        {"Edit15", "0,0"}, {"Edit16", "11,4"}, {"Edit18", "0"}, {"Edit24", "0,00"}, {"Edit1", "0,0"}, {"Edit2", "V5V13J02"},
    };
    for (const auto& [edit, text] : mirrors) EXPECT_EQ(Text(edit), QString::fromUtf8(text)) << edit;
    EXPECT_TRUE(Find<QToolButton>("Ja5")->property("marked").toBool());
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Тестер БК \"ВОРТА\" ЛОРН-7 Веролин"));
    EXPECT_EQ(form_->size(), QSize(781, 639));
    const QString nbsp(QChar(0x00A0));
    // Speed and fuel flow set; the speed, fuel flow and consumption mirrors and the fuel dial shown.
    const std::tuple<float, float, QString, QString, QString, float> rows[] = {
        {2, 40, "2", "40,0", "2" + nbsp + "000,0", 40.0f},  // the dial stops at 40, the mirror does not
        {0.25f, 40, "0", "40,0", "0,0", 0.0f},               // one grid step of speed counts as 0
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
    Press("UiColBitBtn2");  // the idle valve's 61 the program scenarios read back
    Press("UiColBitBtn1");
    EXPECT_TRUE(Down("UiColBitBtn3"));
    EXPECT_TRUE(Down("UiColBitBtn4"));
    StartCommunication();
    // A2 F1 10 61 01 …: the Ja5 block with the engine's presets N 900, A 61, Q 0.7, M 9.5, U 13.0,
    // I 900, J 2.00
    const Bytes expected = Hex("A2 F1 10 61 01 08 35 02 00 00 20 08 02 3C 00 00 16 5A 00 3D 80 00 00 9C "
                               "00 FA 00 5F 00 00 00 23 00 00 00 26 10 25");
    EXPECT_EQ(tester_.Exchange({0x82, 0x10, 0xF1, 0x21, 0x01, 0xA5}), expected);
    EXPECT_TRUE(Lit("UiLED2"));
    Set("UiDial1", 10);
    EXPECT_EQ(Text("Edit1"), "6,8");  // consumption uses the control's 0.68, not the mirror's 0.7
    Press("UiColBitBtn4");            // engine stopped from the tester tab: the ignition stays
    EXPECT_FALSE(Down("UiColBitBtn1"));
    EXPECT_TRUE(Down("UiColBitBtn3"));
    EXPECT_EQ(Text("Edit16"), "11,4");
}

TEST_F(ConsoleEndToEnd, TickedTroubleCodeIsReportedAndClearLampsGoDarkWhenTimer2Fires) {
    Start();
    Press("UiColBitBtn2");
    StartCommunication();
    Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
    auto* list = Find<QListWidget>("CheckListBox1");
    ASSERT_EQ(list->count(), 113);
    ASSERT_TRUE(list->item(0)->text().startsWith("0102 "));
    list->setCurrentRow(0);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Space);
    // one code, 0102, status E0
    EXPECT_EQ(tester_.Exchange(Hex("81 10 F1 18 9A")), Hex("85 F1 10 58 01 01 02 E0 C2"));
    // The wiring, not the 5 s, is under test; a second still outlasts the exchange on a slow machine.
    Timer("Timer2")->setInterval(1000);
    EXPECT_EQ(tester_.Exchange(Hex("83 10 F1 14 00 00 98")), Hex("83 F1 10 54 00 00 D8"));  // cleared
    EXPECT_TRUE(Lit("UiLED3") && Lit("UiLED5") && Timer("Timer2")->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Lit("UiLED3") && !Lit("UiLED5"); }, 5000));
    EXPECT_FALSE(Timer("Timer2")->isActive());
    // The K-line lamps are dark again after Timer1's next tick.
    Find<TUiLED>("UiLED1")->SetChecked(true);
    Find<TUiLED>("UiLED2")->SetChecked(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Lit("UiLED1") && !Lit("UiLED2"); }, 1000));
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
    Press("UiColBitBtn11");  // stopping the curve sets it back
    EXPECT_EQ(trip.CurveTick(), 0);
}

// The console's values and clock reach the PIDs; each PID's encoding is the emulator's own test.
TEST_F(ConsoleEndToEnd, ObdAnswersForTheTypesThatCarryItFromTheConsoleValues) {
    Start();
    auto* mark = Find("ObdMark");
    EXPECT_TRUE(mark->isHidden());  // Ja5 carries no OBD-II
    Press("UiColBitBtn2");
    Press("B7");
    EXPECT_FALSE(mark->isHidden());
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
}

}  // namespace
