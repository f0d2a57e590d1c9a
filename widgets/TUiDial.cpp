#include "widgets/TUiDial.h"

#include "widgets/BevelPainter.h"
#include "widgets/PictureFormat.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kMargin = 4.0;
// Mouse angles are measured clockwise from straight down, so the seam lies in the scale's gap.
constexpr double kStartFromBottom = 45.0;

}  // namespace

TUiDial::TUiDial(QWidget* parent) : TUiAnalogCControl(parent) {
    resize(sizeHint());
    sectors_.SetOnChange([this] { InvalidateStatic(); });
    ValueMoved();
}

void TUiDial::SetShowSectors(bool show) {
    if (show != showSectors_) {
        showSectors_ = show;
        InvalidateStatic();
    }
}

QRectF TUiDial::ValueRect() const {
    // The value window sits in the scale's gap at the bottom of the face.
    const QRectF face = FaceRect();
    if (!(Options() & opValue)) {
        return QRectF(face.center().x(), face.bottom(), 0, 0);
    }
    const QFontMetricsF metrics(FontValue());
    QString widest = SignalSettings().WidestFormatText();
    widest.replace(u'#', u'0');
    const double w = std::min(metrics.horizontalAdvance(u'-' + widest) + 12.0, face.width() * 0.62);
    const double h = metrics.height() + 6.0;
    const double top = std::min(face.center().y() + face.height() * 0.27, height() - kMargin - 2.0 - h);
    return QRectF(face.center().x() - w / 2.0, top, w, h);
}

QRectF TUiDial::FaceRect() const {
    const double top = kMargin + 2.0 + CaptionHeight();
    const double bottom = height() - kMargin - 2.0;
    const double side = std::max(10.0, std::min(width() - 2 * kMargin - 2.0, bottom - top));
    return QRectF((width() - side) / 2.0, top + std::max(0.0, (bottom - top - side) / 2.0), side, side);
}

QPointF TUiDial::PointAt(double spanAngle, double radius) const {
    const double m = qDegreesToRadians(spanAngle + kStartFromBottom);
    const QPointF c = FaceRect().center();
    return QPointF(c.x() - radius * std::sin(m), c.y() + radius * std::cos(m));
}

double TUiDial::MouseAngle(const QPointF& point) const {
    const QPointF c = FaceRect().center();
    double angle = qRadiansToDegrees(std::atan2(-(point.x() - c.x()), point.y() - c.y()));
    if (angle < 0) {
        angle += 360.0;
    }
    return angle;
}

bool TUiDial::InGrip(const QPointF& point) const {
    const QRectF face = FaceRect();
    return QLineF(face.center(), point).length() <= face.width() / 2.0;
}

void TUiDial::PressAt(const QPointF& point) {
    lastMouseAngle_ = MouseAngle(point);
}

void TUiDial::DragToValue(const QPointF& point) {
    const double angle = MouseAngle(point);
    double delta = angle - lastMouseAngle_;
    // A jump across the seam is the short way round.
    if (std::fabs(delta) > 200.0) {
        delta += delta > 0 ? -360.0 : 360.0;
    }
    pointerAngle_ = std::clamp(pointerAngle_ + delta, 0.0, kSpanDegrees);
    lastMouseAngle_ = angle;
    const double span = static_cast<double>(SignalSettings().DigitalSpan());
    ApplyDigit(std::llrint((pointerAngle_ + 0.0001) / kSpanDegrees * span) + SignalSettings().DigitalFrom());
    update();
}

void TUiDial::ValueMoved() {
    const long long permille = std::clamp(Model().PermillePosition(), 0LL, 1000LL);
    pointerAngle_ = static_cast<double>(permille) * kSpanDegrees / 1000.0;
}

void TUiDial::PaintStatic(QPainter& painter) {
    PaintPanelAndNames(painter, kMargin);

    // The bezel: a brushed metal ring around a dark face.
    const QRectF face = FaceRect();
    const QPointF c = face.center();
    const double r = face.width() / 2.0;
    QConicalGradient metal(c, 45);
    metal.setColorAt(0.0, QColor(250, 250, 250));
    metal.setColorAt(0.25, QColor(150, 150, 150));
    metal.setColorAt(0.5, QColor(90, 90, 90));
    metal.setColorAt(0.75, QColor(170, 170, 170));
    metal.setColorAt(1.0, QColor(250, 250, 250));
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(metal);
    painter.drawEllipse(face);
    const double inner = r * 0.9;
    QRadialGradient dark(c - QPointF(0, inner * 0.4), inner * 1.4);
    dark.setColorAt(0.0, QColor(58, 62, 68));
    dark.setColorAt(1.0, QColor(12, 13, 16));
    painter.setPen(QPen(QColor(20, 20, 20), 1));
    painter.setBrush(dark);
    painter.drawEllipse(c, inner, inner);

    const double tickOuter = inner * 0.92;
    const double major = inner * 0.14;
    const double minor = inner * 0.07;
    if (showSectors_) {
        const double band = inner * 0.07;
        for (int s = 1; s <= TSectorSettings::kSectors; ++s) {
            const double from = std::clamp(sectors_.SectorFrom(s), 0, 1000) * kSpanDegrees / 1000.0;
            const double to = std::clamp(sectors_.SectorTo(s), 0, 1000) * kSpanDegrees / 1000.0;
            if (to <= from) {
                continue;
            }
            const double rr = tickOuter - band / 2.0;
            painter.setPen(QPen(sectors_.SectorColor(s), band, Qt::SolidLine, Qt::FlatCap));
            painter.setBrush(Qt::NoBrush);
            // Qt's arcs run counter-clockwise from three o'clock in 1/16 degrees.
            painter.drawArc(QRectF(c.x() - rr, c.y() - rr, 2 * rr, 2 * rr),
                            qRound((kStartDegrees - from) * 16), qRound(-(to - from) * 16));
        }
    }

    const TScaleSettings& scale = ScaleSettings();
    const QColor scaleColor = isEnabled() ? scale.Color() : scale.Color().darker(160);
    if (Options() & opScale) {
        if (scale.DrawLine()) {
            painter.setPen(QPen(scaleColor, 1.2));
            painter.setBrush(Qt::NoBrush);
            painter.drawArc(QRectF(c.x() - tickOuter, c.y() - tickOuter, 2 * tickOuter, 2 * tickOuter),
                            qRound(kStartDegrees * 16), qRound(-kSpanDegrees * 16));
        }
        const int divisions = scale.Steps() * scale.SubSteps();
        for (int i = 0; i <= divisions; ++i) {
            const bool isMajor = i % scale.SubSteps() == 0;
            const double angle = kSpanDegrees * i / divisions;
            painter.setPen(QPen(scaleColor, isMajor ? 2.0 : 1.0, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(PointAt(angle, tickOuter), PointAt(angle, tickOuter - (isMajor ? major : minor)));
        }
    }
    if (Options() & opScaleText) {
        const TSignalSettings& signal = SignalSettings();
        QStringList labels;
        for (int i = 0; i <= scale.Steps(); ++i) {
            labels << PictureFormat::Format(signal.ValueFrom() + signal.ValueSpan() * i / scale.Steps(),
                                            scale.ValueFormat());
        }
        // A crowded scale gets smaller labels, down to the smallest readable size, and then
        // labels on every second (fourth...) division only.
        QFont labelFont = BevelPainter::CaptionFont(scale.FontPointSize());
        const auto fits = [&](int every) {
            const double chord =
                2.0 * (tickOuter - major) * 0.8 * std::sin(qDegreesToRadians(kSpanDegrees * every / scale.Steps() / 2.0));
            for (int points = scale.FontPointSize(); points >= 6; --points) {
                labelFont.setPointSize(points);
                const QFontMetricsF fit(labelFont);
                double widest = 0;
                for (const QString& label : labels) {
                    widest = std::max(widest, fit.horizontalAdvance(label));
                }
                if (widest + 2.0 <= chord) {
                    return true;
                }
            }
            return false;
        };
        int every = 1;
        while (!fits(every) && every * 2 <= scale.Steps()) {
            every *= 2;
        }
        painter.setFont(labelFont);
        painter.setPen(scaleColor);
        const QFontMetricsF metrics(labelFont);
        for (int i = 0; i <= scale.Steps(); i += every) {
            const QString& label = labels[i];
            const QSizeF size(metrics.horizontalAdvance(label), metrics.ascent());
            // Labels sit inside the ticks, pushed in by half their extent along the radius.
            const double angle = kSpanDegrees * i / scale.Steps();
            const double m = qDegreesToRadians(angle + kStartFromBottom);
            const double reach = std::fabs(std::sin(m)) * size.width() / 2.0 + std::fabs(std::cos(m)) * size.height() / 2.0;
            const QPointF at = PointAt(angle, tickOuter - major - 2.0 - reach);
            painter.drawText(QRectF(at.x() - size.width() / 2.0 - 1, at.y() - metrics.height() / 2.0,
                                    size.width() + 2, metrics.height()),
                             Qt::AlignCenter, label);
        }
    }
    if (Options() & opUnit) {
        QFont unitFont = BevelPainter::CaptionFont(std::max(6, scale.FontPointSize()));
        painter.setFont(unitFont);
        painter.setPen(scaleColor);
        const double h = QFontMetricsF(unitFont).height();
        BevelPainter::FittedText(painter, QRectF(c.x() - inner * 0.32, c.y() - inner * 0.3 - h / 2.0, inner * 0.64, h),
                                 Qt::AlignCenter, SignalSettings().ValueUnit());
    }
    if (Options() & opValue) {
        BevelPainter::ValueWindow(painter, ValueRect());
    }
}

void TUiDial::PaintDynamic(QPainter& painter) {
    const QRectF face = FaceRect();
    const QPointF c = face.center();
    const double inner = face.width() / 2.0 * 0.9;
    const QColor color = PointerColor();

    // A tapered needle with a short tail, lit by its own colour.
    const double a = qDegreesToRadians(pointerAngle_ + kStartFromBottom);
    const QPointF along(-std::sin(a), std::cos(a));
    const QPointF across(-along.y(), along.x());
    const double half = std::max(1.5, inner * 0.045);
    QPainterPath needle;
    needle.moveTo(c + along * (inner * 0.86));
    needle.lineTo(c + across * half);
    needle.lineTo(c - along * (inner * 0.18) + across * (half * 0.8));
    needle.lineTo(c - along * (inner * 0.18) - across * (half * 0.8));
    needle.lineTo(c - across * half);
    needle.closeSubpath();
    painter.setPen(QPen(color.darker(180), 0.8));
    painter.setBrush(color);
    painter.drawPath(needle);

    const double hub = std::max(3.0, inner * 0.13);
    QRadialGradient cap(c - QPointF(hub * 0.4, hub * 0.4), hub * 1.6);
    cap.setColorAt(0.0, QColor(235, 235, 235));
    cap.setColorAt(1.0, QColor(60, 60, 60));
    painter.setPen(QPen(QColor(30, 30, 30), 0.8));
    painter.setBrush(cap);
    painter.drawEllipse(c, hub, hub);

    if (Options() & opValue) {
        BevelPainter::ValueText(painter, ValueRect(), ValueText(), FontValue(),
                                isEnabled() ? FontValueColor() : BevelPainter::ButtonShadow());
    }
}
