#include "widgets/TUiVSlider.h"

#include "widgets/BevelPainter.h"
#include "widgets/PictureFormat.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kMargin = 4.0;

}  // namespace

TUiVSlider::TUiVSlider(QWidget* parent) : TUiAnalogCControl(parent) {
    ScaleSettings().SetDrawLine(false);
    ScaleSettings().SetSubSteps(5);
    SetOptions(opBevelOuter | opUnit | opValue | opName1 | opName2 | opScaleText);
    resize(sizeHint());
}

void TUiVSlider::SetButtonSize(int pixels) {
    pixels = std::max(6, pixels);
    if (pixels != buttonSize_) {
        buttonSize_ = pixels;
        InvalidateStatic();
    }
}

void TUiVSlider::SetColorTrench(const QColor& color) {
    colorTrench_ = color;
    InvalidateStatic();
}

QRectF TUiVSlider::ValueRect() const {
    const QFontMetricsF metrics(FontValue());
    if (!(Options() & (opValue | opUnit))) {
        return QRectF(width() / 2.0, height() - kMargin, 0, 0);
    }
    QString widest = SignalSettings().WidestFormatText();
    widest.replace(u'#', u'0');
    const double w = (Options() & opValue) ? metrics.horizontalAdvance(u'-' + widest) + 12.0 : 0.0;
    const double unit = (Options() & opUnit) ? QFontMetricsF(font()).horizontalAdvance(SignalSettings().ValueUnit()) + 4.0 : 0.0;
    const double h = metrics.height() + 6.0;
    const double left = std::max(kMargin + 2.0, (width() - w - unit) / 2.0);
    return QRectF(left, height() - kMargin - 2.0 - h, w, h);
}

double TUiVSlider::TrackX() const {
    // The track leaves room for the scale on one side.
    const bool left = ScaleSettings().PosLeftTop();
    return left ? width() * 0.64 : width() * 0.36;
}

double TUiVSlider::TrackTop() const {
    return kMargin + 4.0 + CaptionHeight() + buttonSize_ * 0.2 + 2.0;
}

double TUiVSlider::TrackBottom() const {
    return std::max(TrackTop() + 1.0, ValueRect().top() - 6.0 - buttonSize_ * 0.2);
}

QRectF TUiVSlider::TrackRect() const {
    const double knobHalf = buttonSize_ * 0.2;
    return QRectF(TrackX() - buttonSize_ / 2.0, TrackTop() - knobHalf, buttonSize_,
                  TrackBottom() - TrackTop() + 2 * knobHalf);
}

double TUiVSlider::KnobCenterY() const {
    const TSignalSettings& s = SignalSettings();
    const double fraction = static_cast<double>(Digit() - s.DigitalFrom()) / static_cast<double>(s.DigitalSpan());
    return TrackBottom() - std::clamp(fraction, 0.0, 1.0) * (TrackBottom() - TrackTop());
}

bool TUiVSlider::InGrip(const QPointF& point) const {
    const QRectF track = TrackRect();
    if (point.x() < track.left() || point.x() > track.right()) {
        return false;
    }
    if (enableMouseJump_) {
        return track.contains(point);
    }
    return std::fabs(point.y() - KnobCenterY()) <= buttonSize_ * 0.2;
}

void TUiVSlider::DragToValue(const QPointF& point) {
    const double top = TrackTop();
    const double bottom = TrackBottom();
    const double y = std::clamp(point.y(), top, bottom);
    const double span = static_cast<double>(SignalSettings().DigitalSpan());
    ApplyDigit(std::llrint(span / (bottom - top) * (bottom - y)) + SignalSettings().DigitalFrom());
}

void TUiVSlider::PaintStatic(QPainter& painter) {
    PaintPanelAndNames(painter, kMargin);

    // The trench: a sunken slot in the track colour.
    const double x = TrackX();
    const double top = TrackTop();
    const double bottom = TrackBottom();
    const QRectF slot(x - 3.5, top - 4.0, 7.0, bottom - top + 8.0);
    QLinearGradient trench(slot.topLeft(), slot.topRight());
    trench.setColorAt(0.0, colorTrench_.darker(220));
    trench.setColorAt(0.5, colorTrench_);
    trench.setColorAt(1.0, colorTrench_.darker(160));
    painter.setPen(QPen(BevelPainter::DarkShadow(), 1));
    painter.setBrush(trench);
    painter.drawRoundedRect(slot, 3, 3);

    const TScaleSettings& scale = ScaleSettings();
    const bool left = scale.PosLeftTop();
    const double side = left ? -1.0 : 1.0;
    const double tickStart = x + side * (buttonSize_ / 2.0 + 2.0);
    const QColor tickColor = isEnabled() ? QColor(20, 20, 20) : BevelPainter::ButtonShadow();
    if (scale.DrawLine()) {
        painter.setPen(QPen(tickColor, 1));
        painter.drawLine(QPointF(tickStart, top), QPointF(tickStart, bottom));
    }
    const int divisions = scale.Steps() * scale.SubSteps();
    for (int i = 0; i <= divisions; ++i) {
        const bool isMajor = i % scale.SubSteps() == 0;
        const double row = bottom - (bottom - top) * i / divisions;
        painter.setPen(QPen(tickColor, isMajor ? 1.6 : 1.0, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(tickStart, row), QPointF(tickStart + side * (isMajor ? 7.0 : 4.0), row));
    }
    if (Options() & opScaleText) {
        const QFont labelFont = BevelPainter::CaptionFont(scale.FontPointSize());
        const QFontMetricsF metrics(labelFont);
        painter.setFont(labelFont);
        painter.setPen(tickColor);
        const TSignalSettings& signal = SignalSettings();
        for (int i = 0; i <= scale.Steps(); ++i) {
            const double value = signal.ValueFrom() + signal.ValueSpan() * i / scale.Steps();
            const QString label = PictureFormat::Format(value, scale.ValueFormat());
            const double row = bottom - (bottom - top) * i / scale.Steps();
            const double labelX = tickStart + side * 9.0;
            const double w = metrics.horizontalAdvance(label) + 2.0;
            const QRectF box(left ? labelX - w : labelX, row - metrics.height() / 2.0, w, metrics.height());
            painter.drawText(box, (left ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, label);
        }
    }

    const QRectF window = ValueRect();
    if (Options() & opValue) {
        BevelPainter::ValueWindow(painter, window);
    }
    if (Options() & opUnit) {
        painter.setFont(font());
        painter.setPen(isEnabled() ? QColor(0, 0, 0) : BevelPainter::ButtonShadow());
        painter.drawText(QRectF(window.right() + 4.0, window.top(), width() - window.right() - 4.0 - kMargin,
                                window.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, SignalSettings().ValueUnit());
    }
}

void TUiVSlider::PaintDynamic(QPainter& painter) {
    // A fader cap: a ribbed metal block with a lit line across its middle.
    const double cy = KnobCenterY();
    const double h = buttonSize_ * 0.4 + 4.0;
    const QRectF knob(TrackX() - buttonSize_ / 2.0, cy - h / 2.0, buttonSize_, h);
    QLinearGradient metal(knob.topLeft(), knob.bottomLeft());
    metal.setColorAt(0.0, QColor(245, 245, 245));
    metal.setColorAt(0.45, QColor(190, 190, 190));
    metal.setColorAt(0.55, QColor(150, 150, 150));
    metal.setColorAt(1.0, QColor(95, 95, 95));
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    painter.setBrush(metal);
    painter.drawRoundedRect(knob, 2.5, 2.5);
    painter.setPen(QPen(PointerColor(), 2.4, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(knob.left() + 2.5, cy), QPointF(knob.right() - 2.5, cy));

    if (Options() & opValue) {
        BevelPainter::ValueText(painter, ValueRect(), ValueText(), FontValue(),
                                isEnabled() ? FontValueColor() : BevelPainter::ButtonShadow());
    }
}
