#include "widgets/TUiDial.h"
#include "widgets/TUiLED.h"
#include "widgets/TUiValueInd.h"

#include <QFontMetrics>
#include <QImage>
#include <gtest/gtest.h>
#include <cstdlib>

namespace {

bool Near(const QColor& a, const QColor& b, int tolerance = 6) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QImage Picture(QWidget& widget) {
    return widget.grab().toImage();
}

TEST(Painting, LampShowsItsOnColourAtItsCentreOnlyWhenChecked) {
    const TLedShape shapes[] = {sRound, sRectangle, sArrowUp};
    for (TLedShape shape : shapes) {
        TUiLED led;
        led.SetShape(shape);
        led.SetLedSize(30, 30);
        led.SetCaption("Запрос по К-линии");
        led.resize(led.sizeHint());
        led.SetColorOn(QColor(255, 0, 0));
        led.SetColorOff(QColor(40, 40, 200));
        // The arrow's centre of mass lies below the middle of its box.
        const QPoint centre = (led.LampRect().center() + QPointF(0, shape == sArrowUp ? 4 : 0)).toPoint();
        EXPECT_TRUE(Near(Picture(led).pixelColor(centre), QColor(40, 40, 200))) << shape;
        led.SetChecked(true);
        EXPECT_TRUE(Near(Picture(led).pixelColor(centre), QColor(255, 0, 0))) << shape;
    }
}

TEST(Painting, DialPointerMovesWithTheValue) {
    TUiDial dial;
    dial.resize(200, 240);
    const double radius = dial.FaceRect().width() / 2.0 * 0.9 * 0.5;
    for (const float value : {0.0f, 100.0f}) {
        dial.SetValue(value);
        const QImage picture = Picture(dial);
        const QColor pointer = dial.PointerColor();
        EXPECT_EQ(Near(picture.pixelColor(dial.PointAt(0, radius).toPoint()), pointer), value == 0);
        EXPECT_EQ(Near(picture.pixelColor(dial.PointAt(270, radius).toPoint()), pointer), value == 100);
    }
}

// Leftmost column of the value window that holds lit (green) pixels.
int LeftmostLit(const QImage& image, const QRect& window) {
    for (int x = window.left(); x <= window.right(); ++x) {
        for (int y = window.top(); y <= window.bottom(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (c.green() > 120 && c.red() < 90 && c.blue() < 90) {
                return x;
            }
        }
    }
    return -1;
}

TEST(Painting, ReadOutDrawsItsFormattedTextRightAligned) {
    TUiValueInd indicator;
    indicator.SignalSettings().SetValueFormat("#####0.000");
    indicator.SignalSettings().SetName1("Путь");
    indicator.SignalSettings().SetValueUnit("км");
    indicator.SetValue(1234.5678f);
    const QString text = "1234" + QString(QLocale().decimalPoint()) + "568";
    ASSERT_EQ(indicator.ValueText(), text);
    const int textWidth = QFontMetrics(indicator.FontValue()).horizontalAdvance(text);
    const int expectedLeft = indicator.ValueRect().right() - 4 - textWidth;
    EXPECT_NEAR(LeftmostLit(Picture(indicator), indicator.ValueRect()), expectedLeft, 3);
}

}  // namespace
