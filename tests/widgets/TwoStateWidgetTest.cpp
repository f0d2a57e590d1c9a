#include "widgets/TUiColBitBtn.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace {

QPoint Middle(const QWidget& w) {
    return QPoint(w.width() / 2, w.height() / 2);
}

TEST(TwoStateWidgets, SwitchButtonTogglesOnPressAndItsClickSeesTheNewState) {
    TUiColBitBtn button;
    button.SetMode(mSwitch);
    std::vector<bool> seen;
    QObject::connect(&button, &TUiColBitBtn::OnClick, [&] { seen.push_back(button.Checked()); });
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, Middle(button));
    EXPECT_TRUE(button.Checked());
    EXPECT_TRUE(seen.empty());
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, Middle(button));
    QTest::mouseClick(&button, Qt::LeftButton, Qt::NoModifier, Middle(button));
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    // Other buttons change nothing and click nothing; a release outside the button clicks nothing.
    QTest::mouseClick(&button, Qt::RightButton, Qt::NoModifier, Middle(button));
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, Middle(button));
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(button.width() + 20, 2));
    EXPECT_TRUE(button.Checked());
    EXPECT_EQ(seen.size(), 2u);
}

TEST(TwoStateWidgets, CodeSetsTheStateWithoutAClick) {
    TUiColBitBtn button;
    button.SetMode(mSwitch);
    QSignalSpy click(&button, &TUiColBitBtn::OnClick);
    QSignalSpy status(&button, &TUiColBitBtn::OnStatusChanged);
    button.SetChecked(true);
    EXPECT_EQ(click.count(), 0);
    EXPECT_EQ(status.count(), 1);
    // Click() acts as the operator's click: toggle by mode, then OnClick.
    button.Click();
    EXPECT_FALSE(button.Checked());
    EXPECT_EQ(click.count(), 1);
}

TEST(TwoStateWidgets, PushButtonWithEmptyTextOnShowsNoTextWhilePressed) {
    TUiColBitBtn button;
    button.SetMode(mButton);
    button.SetTextOff("Очистка окна ошибок");
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, Middle(button));
    EXPECT_TRUE(button.Checked());
    EXPECT_TRUE(button.ShownText().isEmpty());
    EXPECT_TRUE(button.Sunken());
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, Middle(button));
    EXPECT_FALSE(button.Checked());
    EXPECT_EQ(button.ShownText(), "Очистка окна ошибок");

    TUiColBitBtn onlyOn;
    onlyOn.SetTextOn("Настройка");
    EXPECT_EQ(onlyOn.ShownText(), "Настройка");
    onlyOn.SetChecked(true);
    EXPECT_EQ(onlyOn.ShownText(), "Настройка");
}

TEST(TwoStateWidgets, EachAspectShowsTheCheckedOrBlinkingLook) {
    constexpr int kAll = coGlyph | coText | coTextCol | coBtnCol | coBevel;
    struct Row { const char* what; bool checked; int checkedOptions; bool flashing; int ticks; bool textOn, faceOn, textColOn; }
        rows[] = {
            {"unchecked", false, kAll, false, 0, false, false, false},
            {"checked", true, kAll, false, 0, true, true, true},
            {"checked, face colour only", true, coBtnCol, false, 0, false, true, false},
            {"checked, text only", true, coText | coTextCol, false, 0, true, false, true},
            {"blinking, on phase", true, kAll, true, 0, true, true, true},
            {"blinking, off phase", true, kAll, true, 1, true, false, true},
            {"flashing but unchecked", false, kAll, true, 1, false, false, false},
        };
    for (const Row& c : rows) {
        TUiColBitBtn button;
        button.SetTextOff("выкл");
        button.SetTextOn("вкл");
        button.SetColorOn(Qt::yellow);
        button.SetColorOff(Qt::gray);
        button.SetTextColOn(Qt::red);
        button.SetTextColOff(Qt::black);
        button.SetCheckedOptions(c.checkedOptions);
        button.SetFlashOptions(foBtnCol);
        button.SetFrequency(ff8Hz);
        button.SetFlashing(c.flashing);
        button.SetChecked(c.checked);
        for (int i = 0; i < c.ticks; ++i) {
            BlinkService::Instance().Tick();
        }
        EXPECT_EQ(button.ShownText(), c.textOn ? "вкл" : "выкл") << c.what;
        EXPECT_EQ(button.ShownFaceColor(), c.faceOn ? QColor(Qt::yellow) : QColor(Qt::gray)) << c.what;
        EXPECT_EQ(button.ShownTextColor(), c.textColOn ? QColor(Qt::red) : QColor(Qt::black)) << c.what;
    }
}

TEST(TwoStateWidgets, DisabledButtonUsesItsDisabledColours) {
    TUiColBitBtn button;
    button.SetChecked(true);
    button.SetEnabled(false);
    EXPECT_EQ(button.ShownFaceColor(), button.ColorDisabled());
    EXPECT_EQ(button.ShownTextColor(), button.TextColDisabled());
}

}  // namespace
