// Costs of the instruments on the GUI thread: a value change of a dial with its repaint
// (static layers cached), a full repaint after a change of settings, a lamp, and the
// picture number format the value windows use.
#include "widgets/PictureFormat.h"
#include "widgets/TUiDial.h"
#include "widgets/TUiLED.h"
#include "widgets/TUiVSlider.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

void Render(QWidget& widget, QImage& target) {
    QPainter painter(&target);
    widget.render(&painter);
}

void BM_DialValueChangeAndRepaint(benchmark::State& state) {
    TUiDial dial;
    dial.SignalSettings().SetValueTo(10000);
    dial.resize(150, 196);
    QImage target(dial.size(), QImage::Format_ARGB32_Premultiplied);
    Render(dial, target);
    int digit = 0;
    for (auto _ : state) {
        dial.SetDigit(digit);
        digit = (digit + 7) % 1001;
        Render(dial, target);
    }
}
BENCHMARK(BM_DialValueChangeAndRepaint);

void BM_DialRepaintAfterSettingsChange(benchmark::State& state) {
    TUiDial dial;
    dial.resize(150, 196);
    QImage target(dial.size(), QImage::Format_ARGB32_Premultiplied);
    int step = 0;
    for (auto _ : state) {
        dial.ScaleSettings().SetSteps(4 + (++step % 2));
        Render(dial, target);
    }
}
BENCHMARK(BM_DialRepaintAfterSettingsChange);

void BM_SliderValueChangeAndRepaint(benchmark::State& state) {
    TUiVSlider slider;
    QImage target(slider.size(), QImage::Format_ARGB32_Premultiplied);
    Render(slider, target);
    int digit = 0;
    for (auto _ : state) {
        slider.SetDigit(digit);
        digit = (digit + 7) % 1001;
        Render(slider, target);
    }
}
BENCHMARK(BM_SliderValueChangeAndRepaint);

void BM_LampToggleAndRepaint(benchmark::State& state) {
    TUiLED led;
    led.SetCaption(QStringLiteral("Запрос по К-линии"));
    led.resize(led.sizeHint());
    QImage target(led.size(), QImage::Format_ARGB32_Premultiplied);
    bool on = false;
    for (auto _ : state) {
        led.SetChecked(on = !on);
        Render(led, target);
    }
}
BENCHMARK(BM_LampToggleAndRepaint);

void BM_PictureFormat(benchmark::State& state) {
    double value = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PictureFormat::Format(value, QStringLiteral("#####0.000"), u'.', u' '));
        value += 1.37;
    }
}
BENCHMARK(BM_PictureFormat);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
