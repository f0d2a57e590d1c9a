#include "widgets/TUiDial.h"
#include "widgets/TUiVSlider.h"
#include "widgets/TUiValueInd.h"

#include <QApplication>
#include <QKeySequence>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <string>

namespace {

// A 0–10000 engine speed dial with ChangeSmall 4 and ChangeLarge 10.
TEST(AnalogWidgetEvents, KeysStepTheDigitAndReleaseFinishesTheChange) {
    struct Row { Qt::Key key; int start, digit, changes; } rows[] = {
        {Qt::Key_Up, 100, 104, 1},     {Qt::Key_Right, 100, 104, 1},   {Qt::Key_Down, 100, 96, 1},
        {Qt::Key_Left, 2, 0, 1},       {Qt::Key_PageUp, 995, 1000, 1}, {Qt::Key_PageUp, 1000, 1000, 0},
        {Qt::Key_PageDown, 500, 490, 1}, {Qt::Key_Home, 500, 0, 1},    {Qt::Key_End, 500, 1000, 1},
        {Qt::Key_Home, 0, 0, 0},
    };
    for (const Row& c : rows) {
        const std::string what = QKeySequence(c.key).toString().toStdString() + " at " + std::to_string(c.start);
        TUiDial dial;
        dial.SignalSettings().SetValueTo(10000);
        dial.SetChangeSmall(4);
        dial.SetDigit(c.start);
        QSignalSpy change(&dial, &TUiDial::OnValueChange);
        QSignalSpy changed(&dial, &TUiDial::OnValueChanged);
        QTest::keyPress(&dial, c.key);
        EXPECT_EQ(dial.Digit(), c.digit) << what;
        EXPECT_EQ(change.count(), c.changes) << what;
        EXPECT_EQ(changed.count(), 0) << what;
        QTest::keyRelease(&dial, c.key);
        EXPECT_EQ(changed.count(), c.changes) << what;
    }
    TUiDial dial;
    dial.SetDigit(100);
    dial.SetEnableKeyboard(false);
    QTest::keyClick(&dial, Qt::Key_Up);
    EXPECT_EQ(dial.Digit(), 100);
}

TEST(AnalogWidgetEvents, OnlySingleWheelNotchesCount) {
    TUiVSlider slider;
    slider.SetDigit(100);
    QSignalSpy change(&slider, &TUiVSlider::OnValueChange);
    const struct { int delta, digit; } notches[] = {
        {120, 101}, {240, 101}, {-120, 100}, {60, 100}, {-240, 100}};
    const QPointF at(slider.width() / 2.0, slider.height() / 2.0);
    for (const auto& notch : notches) {
        QWheelEvent event(at, slider.mapToGlobal(at), QPoint(), QPoint(0, notch.delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&slider, &event);
        EXPECT_EQ(slider.Digit(), notch.digit) << notch.delta;
    }
    EXPECT_EQ(change.count(), 2);
}

TEST(AnalogWidgetEvents, SliderJumpsToThePressedRowAndDragsAbsolutely) {
    TUiVSlider slider;
    QSignalSpy change(&slider, &TUiVSlider::OnValueChange);
    QSignalSpy changed(&slider, &TUiVSlider::OnValueChanged);
    const double x = slider.TrackRect().center().x();
    const double top = slider.TrackTop();
    const double bottom = slider.TrackBottom();
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(qRound(x), qRound(top + (bottom - top) / 4)));
    EXPECT_NEAR(slider.Digit(), 750, 5);
    EXPECT_TRUE(slider.Dragging());
    // Dragging above the track stops at the top.
    QTest::mouseMove(&slider, QPoint(qRound(x), qRound(top) - 30));
    EXPECT_EQ(slider.Digit(), 1000);
    EXPECT_EQ(changed.count(), 0);
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(qRound(x), qRound(top) - 30));
    EXPECT_FALSE(slider.Dragging());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(change.count(), 2);
    EXPECT_NEAR(slider.KnobCenterY(), top, 0.5);
}

// The dial turns relative to the mouse: a press at an angle of the span, moves to further angles
// (999: off the face), and the digit after them.
TEST(AnalogWidgetEvents, DialPointerFollowsTheMouseWhereverItWasPressed) {
    struct Row { const char* what; double press; std::vector<double> moves; int digit, near; } rows[] = {
        {"press anywhere on the face", 30, {}, 500, 0},
        {"turns with the mouse", 30, {57}, 600, 4},
        {"stops at the end", 135, {250, 268, 300}, 1000, 0},
        {"turns back at once from the end", 135, {250, 268, 300, 290}, 963, 4},
        {"across the bottom seam the short way round", -40, {-50}, 463, 4},
        {"and back across it", -40, {-50, -40}, 500, 1},
        {"a press off the face does not drag", 999, {200}, 500, 0},
    };
    for (const Row& row : rows) {
        TUiDial dial;
        dial.resize(400, 460);  // whole pixels give angles to a third of a degree
        dial.SetValue(50);  // pointer at 135 degrees, straight up
        const double radius = dial.FaceRect().width() * 0.45;
        const auto at = [&](double angle) {
            return angle == 999 ? QPoint(2, 2) : dial.PointAt(angle, radius).toPoint();
        };
        QSignalSpy changed(&dial, &TUiDial::OnValueChanged);
        QTest::mousePress(&dial, Qt::LeftButton, Qt::NoModifier, at(row.press));
        EXPECT_EQ(dial.Dragging(), row.press != 999) << row.what;
        for (double angle : row.moves) QTest::mouseMove(&dial, at(angle));
        EXPECT_NEAR(dial.Digit(), row.digit, row.near) << row.what;
        const double last = row.moves.empty() ? row.press : row.moves.back();
        QTest::mouseRelease(&dial, Qt::LeftButton, Qt::NoModifier, at(last));
        EXPECT_EQ(changed.count(), row.moves.empty() || row.press == 999 ? 0 : 1) << row.what;
    }
}

TEST(AnalogWidgetEvents, PointerColourFollowsFocusAndEnabledState) {
    QWidget window;
    auto* dial = new TUiDial(&window);
    auto* other = new TUiVSlider(&window);
    other->move(120, 0);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    EXPECT_EQ(dial->PointerColor(), dial->ColorNonFocus());
    dial->setFocus();
    EXPECT_EQ(dial->PointerColor(), dial->ColorFocus());
    dial->SetEnabled(false);
    EXPECT_NE(dial->PointerColor(), dial->ColorFocus());
    EXPECT_NE(dial->PointerColor(), dial->ColorNonFocus());
}

// When they are reported is the model's table; here the read-out passes them on.
TEST(ReadOutSignals, OverflowAndLimitsReachTheirSignals) {
    TUiValueInd indicator;  // 0–100, limits 10 and 90
    QSignalSpy overflow(&indicator, &TUiValueInd::OnOverflow);
    QSignalSpy limit(&indicator, &TUiValueInd::OnLimit);
    indicator.SetValue(120);
    ASSERT_EQ(overflow.count(), 1);
    EXPECT_EQ(overflow[0][0].toLongLong(), 1200);
    ASSERT_EQ(limit.count(), 1);
    EXPECT_EQ(limit[0][1].toBool(), true);  // above
    EXPECT_EQ(indicator.DrawPermille(), 1000);
}

TEST(ReadOutSignals, AutoSizeFitsTheLongestCaption) {
    TUiValueInd indicator;
    indicator.SignalSettings().SetName1("Средняя скорость");
    indicator.SignalSettings().SetValueFormat("###0");
    EXPECT_GE(indicator.width(), QFontMetrics(indicator.font()).horizontalAdvance("Средняя скорость"));
    EXPECT_LE(indicator.ValueRect().right(), indicator.width());
}

}  // namespace
