#pragma once

#include <QColor>
#include <QString>

class QWidget;
class TUiColBitBtn;
class TUiDial;
class TUiLED;
class TUiValueInd;
class TUiVSlider;

// What an analog control shows and spans.
struct InstrumentSetup {
    const char* objectName;
    QString name1;
    QString name2;
    QString unit;
    float from;
    float to;
    float start;
    QString format;
    int steps;
    int subSteps;
};

// Builds the console's instruments with their names, captions, ranges and looks, at the
// given place on their tab. Values are set without running any change handler: the
// handlers are connected afterwards.
namespace InstrumentFactory {

TUiDial* Dial(QWidget* parent, const InstrumentSetup& setup, int x, int y, int w, int h);
TUiVSlider* Slider(QWidget* parent, const InstrumentSetup& setup, int x, int y, int w, int h);
TUiLED* Led(QWidget* parent, const char* objectName, const QString& caption, const QColor& on, int x, int y, int w,
             int h);
// A two-state button that toggles on the press and shows textOn while pressed.
TUiColBitBtn* Switch(QWidget* parent, const char* objectName, const QString& textOff, const QString& textOn, int x,
                     int y, int w, int h);
// A flat push-button.
TUiColBitBtn* PushButton(QWidget* parent, const char* objectName, const QString& text, int x, int y, int w, int h);
TUiValueInd* Readout(QWidget* parent, const char* objectName, const QString& name, const QString& unit,
                     const QString& format, int x, int y, int w, int h);

}  // namespace InstrumentFactory
