#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "PtyTester.h"
#include "QtPrinters.h"
#include "console/IniSettingsStore.h"
#include "console/ParameterControls.h"
#include "console/TForm1.h"
#include "console/TripCheckPanel.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiDial.h"
#include "widgets/TUiVSlider.h"

namespace {

// The main window on a pseudo-terminal nobody talks on, in a Russian locale.
class ParameterControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        ConsoleOptions options;
        options.portOverride = line_.DevicePath();
        options.messageSink = [this](const QString& m) { messages_ << m; };
        form_ = std::make_unique<TForm1>(options,
                                         std::make_unique<IniSettingsStore>(dir_.filePath(QStringLiteral("s.ini"))));
    }
    void TearDown() override {
        EXPECT_TRUE(messages_.isEmpty()) << messages_.join("; ").toStdString();
        form_.reset();
        QLocale::setDefault(QLocale::c());
    }
    template <typename T>
    T* Find(const char* name) {
        return form_->findChild<T*>(QString::fromLatin1(name));
    }
    QString Text(const char* edit) { return Find<QLineEdit>(edit)->text(); }
    void Set(const char* control, float value) { Find<TUiAnalogCControl>(control)->SetValue(value); }
    void Press(const char* button) { QTest::mouseClick(Find<QWidget>(button), Qt::LeftButton); }

    QTemporaryDir dir_;
    PtyTester line_;
    QStringList messages_;
    std::unique_ptr<TForm1> form_;
};

TEST_F(ParameterControlsTest, MirrorsAndConsumptionFollowTheControls) {
    const QString nbsp(QChar(0x00A0));
    struct Row {
        float speed, fuel;
        QString edit9, edit14, edit1;
        float dial4;
    };
    const Row rows[] = {
        {50, 5.0f, "50", "5,0", "10,0", 10.0f},
        {2, 40, "2", "40,0", "2" + nbsp + "000,0", 40.0f},  // the dial stops at 40, the mirror does not
        {0.25f, 40, "0", "40,0", "0,0", 0.0f},               // one grid step of speed counts as 0
        {2.5f, 1.0f, "2", "1,0", "50,0", 40.0f},              // halves go to the even neighbour
        {3.5f, 1.0f, "4", "1,0", "25,0", 25.0f},
    };
    for (const Row& r : rows) {
        Set("UiDial1", r.speed);
        Set("UiVSlider5", r.fuel);
        EXPECT_EQ(Text("Edit9"), r.edit9) << r.speed;
        EXPECT_EQ(Text("Edit14"), r.edit14) << r.fuel;
        EXPECT_EQ(Text("Edit1"), r.edit1) << r.speed << " " << r.fuel;
        EXPECT_NEAR(Find<TUiDial>("UiDial4")->Value(), r.dial4, 0.05f);
    }
}

TEST_F(ParameterControlsTest, EngineAndIdleSpeedsAreCoupledBelowTheIdleMaximum) {
    Set("UiDial2", 3000);
    EXPECT_EQ(Text("Edit11"), "3000");
    EXPECT_EQ(Text("Edit18"), "0");  // above 2500 the idle speed keeps its value
    Set("UiDial2", 800);
    EXPECT_EQ(Text("Edit18"), "800");
    Set("UiDial2", 3000);
    Set("UiDial5", 700);
    EXPECT_EQ(Text("Edit11"), "700");
}

TEST_F(ParameterControlsTest, EngineStartPresetsAndStopKeepsTheIgnition) {
    Press("UiColBitBtn1");  // engine started from ignition off
    EXPECT_TRUE(Find<TUiColBitBtn>("UiColBitBtn2")->Checked());
    EXPECT_TRUE(form_->Parameters().IgnitionOn());
    const std::pair<const char*, const char*> presets[] = {{"Edit11", "900"},  {"Edit15", "9,5"}, {"Edit16", "13,0"},
                                                           {"Edit18", "900"},  {"Edit14", "0,7"}, {"Edit24", "2,00"},
                                                           {"Edit13", "0"}};  // only the ignition sets 61
    for (const auto& [edit, text] : presets) {
        EXPECT_EQ(Text(edit), QString::fromUtf8(text)) << edit;
    }
    Set("UiDial1", 10);
    EXPECT_EQ(Text("Edit1"), "6,8");  // consumption uses the control's 0.68, not the mirror's 0.7
    Press("UiColBitBtn4");            // engine stopped from the tester tab
    EXPECT_FALSE(Find<TUiColBitBtn>("UiColBitBtn1")->Checked());
    EXPECT_TRUE(Find<TUiColBitBtn>("UiColBitBtn3")->Checked());
    EXPECT_EQ(Text("Edit11"), "0");
    EXPECT_EQ(Text("Edit16"), "11,4");
    EXPECT_TRUE(form_->Parameters().IgnitionOn());
}

TEST_F(ParameterControlsTest, CurveStandsStillWithoutIgnitionAndDrivesSpeedWithIt) {
    TripCheckPanel& trip = form_->TripCheckControls();
    Press("UiColBitBtn11");
    trip.Timer5Timer();
    EXPECT_EQ(trip.CurveTick(), 0);
    Press("UiColBitBtn2");
    for (int i = 0; i < 10; ++i) {
        trip.Timer5Timer();
    }
    EXPECT_EQ(trip.CurveTick(), 10);
    EXPECT_EQ(Text("Edit9"), "10");
    EXPECT_EQ(Text("Edit14"), "20,0");
    Press("UiColBitBtn11");  // stopping the curve sets it back
    EXPECT_EQ(trip.CurveTick(), 0);
}

}  // namespace
