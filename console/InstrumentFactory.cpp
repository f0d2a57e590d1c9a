#include "console/InstrumentFactory.h"

#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiDial.h"
#include "widgets/TUiLED.h"
#include "widgets/TUiVSlider.h"
#include "widgets/TUiValueInd.h"

namespace {

void ApplySetup(TUiAnalogCControl* control, const InstrumentSetup& setup) {
    control->setObjectName(QString::fromLatin1(setup.objectName));
    TSignalSettings& s = control->SignalSettings();
    s.SetValueFrom(setup.from);
    s.SetValueTo(setup.to);
    s.SetName1(setup.name1);
    s.SetName2(setup.name2);
    s.SetValueUnit(setup.unit);
    s.SetValueFormat(setup.format);
    TScaleSettings& scale = control->ScaleSettings();
    scale.SetSteps(setup.steps);
    scale.SetSubSteps(setup.subSteps);
    scale.SetValueFormat(QStringLiteral("##0"));
    control->SetValue(setup.start);
}

}  // namespace

namespace InstrumentFactory {

TUiDial* Dial(QWidget* parent, const InstrumentSetup& setup, int x, int y, int w, int h) {
    auto* dial = new TUiDial(parent);
    dial->SetOptions(opBevelOuter | opUnit | opValue | opName1 | opName2 | opScale | opScaleText);
    ApplySetup(dial, setup);
    dial->ScaleSettings().SetDrawLine(true);
    dial->setGeometry(x, y, w, h);
    return dial;
}

TUiVSlider* Slider(QWidget* parent, const InstrumentSetup& setup, int x, int y, int w, int h) {
    auto* slider = new TUiVSlider(parent);
    slider->SetOptions(opBevelOuter | opUnit | opValue | opName1 | opName2 | opScaleText);
    ApplySetup(slider, setup);
    slider->ScaleSettings().SetDrawLine(false);
    slider->setGeometry(x, y, w, h);
    return slider;
}

TUiLED* Led(QWidget* parent, const char* objectName, const QString& caption, const QColor& on, int x, int y, int w,
             int h) {
    auto* lamp = new TUiLED(parent);
    lamp->setObjectName(QString::fromLatin1(objectName));
    lamp->SetMode(mIndicator);
    lamp->SetCaption(caption);
    lamp->SetColorOn(on);
    lamp->setGeometry(x, y, w, h);
    return lamp;
}

TUiColBitBtn* Switch(QWidget* parent, const char* objectName, const QString& textOff, const QString& textOn, int x,
                     int y, int w, int h) {
    auto* button = new TUiColBitBtn(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->SetMode(mSwitch);
    button->SetTextOff(textOff);
    button->SetTextOn(textOn);
    button->setGeometry(x, y, w, h);
    return button;
}

TUiColBitBtn* PushButton(QWidget* parent, const char* objectName, const QString& text, int x, int y, int w, int h) {
    auto* button = new TUiColBitBtn(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->SetMode(mButton);
    button->SetFlat(true);
    button->SetTextOn(text);
    button->SetTextOff(text);
    button->setGeometry(x, y, w, h);
    return button;
}

TUiValueInd* Readout(QWidget* parent, const char* objectName, const QString& name, const QString& unit,
                     const QString& format, int x, int y, int w, int h) {
    auto* readout = new TUiValueInd(parent);
    readout->setObjectName(QString::fromLatin1(objectName));
    readout->SetOptions(opBevelOuter | opName1 | opUnit);
    readout->SetAutoSize(false);
    TSignalSettings& s = readout->SignalSettings();
    s.SetName1(name);
    s.SetName2(QString());
    s.SetValueUnit(unit);
    s.SetValueFormat(format);
    readout->SetValue(0.0f);
    readout->setGeometry(x, y, w, h);
    return readout;
}

}  // namespace InstrumentFactory
