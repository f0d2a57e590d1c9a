#include "GalleryWindow.h"

#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiDial.h"
#include "widgets/TUiLED.h"
#include "widgets/TUiToggleSwitch.h"
#include "widgets/TUiVSlider.h"
#include "widgets/TUiValueInd.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

QGroupBox* Box(const QString& title, QLayout* layout) {
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

void Range(TSignalSettings& s, const QString& name1, const QString& name2, const QString& unit, float from, float to,
           const QString& format) {
    s.SetName1(name1);
    s.SetName2(name2);
    s.SetValueUnit(unit);
    s.SetValueFrom(from);
    s.SetValueTo(to);
    s.SetValueFormat(format);
}

TUiDial* Dial(const QString& name1, const QString& name2, const QString& unit, float from, float to,
              const QString& format, int steps, int subSteps, float value) {
    auto* dial = new TUiDial;
    Range(dial->SignalSettings(), name1, name2, unit, from, to, format);
    dial->ScaleSettings().SetSteps(steps);
    dial->ScaleSettings().SetSubSteps(subSteps);
    dial->SetValue(value);
    dial->setFixedSize(150, 196);
    return dial;
}

TUiVSlider* Slider(const QString& name1, const QString& name2, const QString& unit, float from, float to,
                   const QString& format, int steps, float value) {
    auto* slider = new TUiVSlider;
    Range(slider->SignalSettings(), name1, name2, unit, from, to, format);
    slider->ScaleSettings().SetSteps(steps);
    slider->SetValue(value);
    slider->setFixedSize(105, 289);
    return slider;
}

TUiValueInd* ReadOut(const QString& name1, const QString& unit, const QString& format, float value) {
    auto* indicator = new TUiValueInd;
    Range(indicator->SignalSettings(), name1, QString(), unit, 0, 1000, format);
    indicator->SetOptions(opName1 | opUnit | opBevelOuter);
    indicator->SetValue(value);
    return indicator;
}

TUiLED* Lamp(const QString& caption, const QColor& on, TLedShape shape, bool checked) {
    auto* led = new TUiLED;
    led->SetCaption(caption);
    led->SetColorOn(on);
    led->SetShape(shape);
    led->SetChecked(checked);
    led->setFixedSize(led->sizeHint());
    return led;
}

TUiColBitBtn* Button(const QString& off, const QString& on, bool checked) {
    auto* button = new TUiColBitBtn;
    button->SetMode(mSwitch);
    button->SetTextOff(off);
    button->SetTextOn(on);
    button->SetChecked(checked);
    button->setFixedSize(170, 34);
    return button;
}

}  // namespace

GalleryWindow::GalleryWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Instrument gallery"));
    auto* top = new QHBoxLayout;
    top->addWidget(Dials());
    top->addWidget(Sliders());
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ReadOuts());
    bottom->addWidget(Lamps());
    bottom->addWidget(Buttons(), 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);
    layout->addWidget(ConsoleSizes());
}

QWidget* GalleryWindow::Dials() {
    auto* row = new QHBoxLayout;
    row->addWidget(Dial(QStringLiteral(" "), QStringLiteral("Скорость"), QStringLiteral("км/ч"), 0, 250,
                        QStringLiteral("##0"), 5, 5, 87.25f));
    TUiDial* tacho = Dial(QStringLiteral(" "), QStringLiteral("Обороты ДВС"), QStringLiteral("об/мин"), 0, 10000,
                          QStringLiteral("####0"), 10, 2, 3400);
    tacho->SetShowSectors(true);
    tacho->SectorSettings().SetSectorRange(1, 0, 0);
    tacho->SectorSettings().SetSectorRange(2, 0, 0);
    tacho->SectorSettings().SetSectorRange(3, 600, 1000);
    row->addWidget(tacho);
    row->addWidget(Dial(QStringLiteral("Напряжение"), QStringLiteral("бортсети"), QStringLiteral("В"), 5.2f, 17.9f,
                        QStringLiteral("##0.0"), 5, 2, 11.3976f));
    TUiDial* disabled = Dial(QStringLiteral("Путевой расход"), QStringLiteral("топлива"), QStringLiteral("л/100км"), 0,
                             40, QStringLiteral("##0.0"), 4, 5, 6.8f);
    disabled->SetEnabled(false);
    row->addWidget(disabled);
    return Box(QStringLiteral("Dials: normal, sectors, focused, disabled"), row);
}

QWidget* GalleryWindow::Sliders() {
    auto* row = new QHBoxLayout;
    row->addWidget(Slider(QStringLiteral("Температура"), QStringLiteral("охл.жидкости"), QStringLiteral("°С"), -40, 160,
                          QStringLiteral("##0"), 5, 20));
    row->addWidget(Slider(QStringLiteral("Расход"), QStringLiteral("топлива"), QStringLiteral("л/час"), 0, 40,
                          QStringLiteral("##0.0"), 4, 0.68f));
    TUiVSlider* left = Slider(QStringLiteral("Длит."), QStringLiteral("впрыска "), QStringLiteral("мсек"), 0, 100,
                              QStringLiteral("##0.00"), 5, 62.5f);
    left->ScaleSettings().SetPosLeftTop(true);
    row->addWidget(left);
    return Box(QStringLiteral("Sliders"), row);
}

QWidget* GalleryWindow::ReadOuts() {
    auto* column = new QVBoxLayout;
    column->addWidget(ReadOut(QStringLiteral("Путь"), QStringLiteral("км"), QStringLiteral("#####0.000"), 1.5f));
    column->addWidget(ReadOut(QStringLiteral("Расход"), QStringLiteral("л"), QStringLiteral("#####0.000"), 0.1f));
    column->addWidget(ReadOut(QStringLiteral("Средняя скорость"), QStringLiteral("км/ч"), QStringLiteral("###0"), 60));
    column->addWidget(ReadOut(QStringLiteral("Средний расход"), QStringLiteral("л/100"), QStringLiteral("####0.0"), 10));
    column->addStretch();
    return Box(QStringLiteral("Read-outs"), column);
}

QWidget* GalleryWindow::Lamps() {
    auto* column = new QVBoxLayout;
    column->addWidget(Lamp(QStringLiteral("Запрос по К-линии"), Qt::red, sRound, true));
    column->addWidget(Lamp(QStringLiteral("Ответ по К-линии"), Qt::blue, sRound, false));
    column->addWidget(Lamp(QStringLiteral("Реле вентилятора охлаждения"), Qt::red, sRectangle, true));
    auto* arrows = new QHBoxLayout;
    const TLedShape shapes[] = {sArrowLeft, sArrowUp, sArrowDown, sArrowRight};
    for (TLedShape shape : shapes) {
        TUiLED* led = Lamp(QString(), QColor(255, 170, 0), shape, shape != sArrowDown);
        led->SetLedSize(18, 18);
        led->setFixedSize(led->sizeHint());
        arrows->addWidget(led);
    }
    column->addLayout(arrows);
    TUiLED* top = Lamp(QStringLiteral("Сверху"), Qt::green, sRound, true);
    top->SetLedPosition(lpTop);
    top->SetLedSize(18, 18);
    top->setFixedSize(top->sizeHint());
    column->addWidget(top);
    column->addStretch();
    return Box(QStringLiteral("Lamps"), column);
}

QWidget* GalleryWindow::ConsoleSizes() {
    auto* row = new QHBoxLayout;
    TUiDial* idle = Dial(QStringLiteral("Текушее обороты"), QStringLiteral("ДВС на холостом ходу"),
                         QStringLiteral("об/мин"), 0, 2500, QStringLiteral("####0"), 10, 2, 900);
    idle->setFixedSize(idle->sizeHint());
    row->addWidget(idle);
    TUiDial* speed = Dial(QStringLiteral(" "), QStringLiteral("Скорость"), QStringLiteral("км/ч"), 0, 250,
                          QStringLiteral("##0"), 5, 5, 60);
    speed->setFixedSize(speed->sizeHint());
    row->addWidget(speed);
    TUiVSlider* valve = Slider(QStringLiteral("Текушее"), QStringLiteral("положение РХХ"), QStringLiteral("шаг"), 0,
                               250, QStringLiteral("##0"), 5, 61);
    valve->setFixedSize(valve->sizeHint());
    row->addWidget(valve);
    TUiVSlider* air = Slider(QStringLiteral("Массовый"), QStringLiteral("расход воздуха"), QStringLiteral("кг/ч"), 0,
                             100, QStringLiteral("##0.0"), 5, 9.5f);
    air->setFixedSize(air->sizeHint());
    row->addWidget(air);
    auto* column = new QVBoxLayout;
    auto* flashing = Lamp(QStringLiteral("Произведен сброс ЭБУ"), Qt::green, sRound, true);
    flashing->SetFlashing(true);
    column->addWidget(flashing);
    auto* small = new TUiLED;
    small->SetCaption(QStringLiteral("Катушка зажигания 2-3 цилиндра (M7.9.7)"));
    small->SetColorOn(Qt::red);
    column->addWidget(small);
    column->addStretch();
    row->addLayout(column);
    row->addStretch();
    return Box(QStringLiteral("At the console's default sizes"), row);
}

QWidget* GalleryWindow::Buttons() {
    auto* column = new QVBoxLayout;
    column->addWidget(Button(QStringLiteral("Зажигание выключено"), QStringLiteral("Зажигание включено"), false));
    column->addWidget(Button(QStringLiteral("Зажигание выключено"), QStringLiteral("Зажигание включено"), true));
    TUiColBitBtn* disabled = Button(QStringLiteral("Завести двигатель"), QStringLiteral("Двигатель запущен"), false);
    disabled->SetEnabled(false);
    column->addWidget(disabled);
    TUiColBitBtn* gradient = Button(QStringLiteral("Настройка"), QString(), false);
    gradient->SetGradBtnFace(QColor(230, 236, 250), QColor(150, 170, 210), true);
    column->addWidget(gradient);

    auto* switches = new QHBoxLayout;
    auto* up = new TUiToggleSwitch;
    up->SetChecked(true);
    switches->addWidget(up);
    auto* down = new TUiToggleSwitch;
    switches->addWidget(down);
    auto* across = new TUiToggleSwitch;
    across->SetOrientation(boHorizontal);
    across->SetChecked(true);
    across->setFixedSize(across->sizeHint());
    switches->addWidget(across);
    column->addLayout(switches);
    column->addStretch();
    return Box(QStringLiteral("Buttons and switches"), column);
}
