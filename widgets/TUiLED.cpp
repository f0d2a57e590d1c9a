#include "widgets/TUiLED.h"

#include "widgets/BevelPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>

namespace {

constexpr double kPad = 2.0;

QPainterPath LampPath(TLedShape shape, const QRectF& r) {
    QPainterPath path;
    switch (shape) {
    case sRound:
        path.addEllipse(r);
        break;
    case sRectangle:
        path.addRoundedRect(r, 1.5, 1.5);
        break;
    case sArrowLeft:
        path.addPolygon(QPolygonF({QPointF(r.left(), r.center().y()), r.topRight(), r.bottomRight()}));
        break;
    case sArrowRight:
        path.addPolygon(QPolygonF({QPointF(r.right(), r.center().y()), r.bottomLeft(), r.topLeft()}));
        break;
    case sArrowUp:
        path.addPolygon(QPolygonF({QPointF(r.center().x(), r.top()), r.bottomRight(), r.bottomLeft()}));
        break;
    case sArrowDown:
        path.addPolygon(QPolygonF({QPointF(r.center().x(), r.bottom()), r.topLeft(), r.topRight()}));
        break;
    }
    path.closeSubpath();
    return path;
}

}  // namespace

TUiLED::TUiLED(QWidget* parent) : TUiBinGControl(parent), colorOff_(BevelPainter::ButtonFace()) {
    resize(73, 33);
}

void TUiLED::SetCaption(const QString& caption) {
    if (caption != caption_) {
        caption_ = caption;
        updateGeometry();
        update();
    }
}

void TUiLED::SetColorOn(const QColor& color) {
    colorOn_ = color;
    update();
}

void TUiLED::SetColorOff(const QColor& color) {
    colorOff_ = color;
    update();
}

void TUiLED::SetShape(TLedShape shape) {
    shape_ = shape;
    update();
}

void TUiLED::SetLedSize(int width, int height) {
    ledWidth_ = std::max(3, width);
    ledHeight_ = std::max(3, height);
    updateGeometry();
    update();
}

void TUiLED::SetLedPosition(TLedPosition position) {
    ledPosition_ = position;
    update();
}

void TUiLED::SetSpacing(int pixels) {
    spacing_ = std::max(0, pixels);
    update();
}

QSizeF TUiLED::CaptionSize() const {
    if (caption_.isEmpty()) {
        return QSizeF(0, 0);
    }
    const QFontMetricsF metrics(font());
    return QSizeF(metrics.horizontalAdvance(caption_) + 2.0, metrics.height());
}

QSize TUiLED::sizeHint() const {
    const QSizeF caption = CaptionSize();
    const double gap = caption_.isEmpty() ? 0.0 : spacing_;
    if (ledPosition_ == lpLeft || ledPosition_ == lpRight) {
        return QSizeF(ledWidth_ + gap + caption.width() + 2 * kPad, std::max<double>(ledHeight_, caption.height()) + 2 * kPad)
            .toSize();
    }
    return QSizeF(std::max<double>(ledWidth_, caption.width()) + 2 * kPad, ledHeight_ + gap + caption.height() + 2 * kPad)
        .toSize();
}

QRectF TUiLED::LampRect() const {
    const QSizeF caption = CaptionSize();
    const double gap = caption_.isEmpty() ? 0.0 : spacing_;
    const double w = ledWidth_;
    const double h = ledHeight_;
    switch (ledPosition_) {
    case lpLeft:
        return QRectF(kPad, (height() - h) / 2.0, w, h);
    case lpRight:
        return QRectF(width() - kPad - w, (height() - h) / 2.0, w, h);
    case lpTop: {
        const double top = (height() - h - gap - caption.height()) / 2.0;
        return QRectF((width() - w) / 2.0, std::max(kPad, top), w, h);
    }
    case lpBottom: {
        const double top = (height() + caption.height() + gap - h) / 2.0;
        return QRectF((width() - w) / 2.0, std::min(height() - kPad - h, top), w, h);
    }
    }
    return QRectF(kPad, (height() - h) / 2.0, w, h);
}

QRectF TUiLED::CaptionRect() const {
    const QRectF lamp = LampRect();
    const QSizeF caption = CaptionSize();
    switch (ledPosition_) {
    case lpLeft:
        return QRectF(lamp.right() + spacing_, 0, width() - lamp.right() - spacing_, height());
    case lpRight:
        return QRectF(0, 0, lamp.left() - spacing_, height());
    case lpTop:
        return QRectF(0, lamp.bottom() + spacing_, width(), caption.height());
    case lpBottom:
        return QRectF(0, lamp.top() - spacing_ - caption.height(), width(), caption.height());
    }
    return QRectF();
}

void TUiLED::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QRectF lamp = LampRect();
    const QPainterPath path = LampPath(shape_, lamp);
    const bool lit = Lit();
    const QColor color = ShownColor();

    // A lit lamp throws a soft halo around its glass.
    if (lit && shape_ == sRound) {
        QRadialGradient halo(lamp.center(), lamp.width() * 0.9);
        QColor glow = color;
        glow.setAlpha(110);
        halo.setColorAt(0.5, glow);
        halo.setColorAt(1.0, Qt::transparent);
        painter.setPen(Qt::NoPen);
        painter.setBrush(halo);
        painter.drawEllipse(lamp.center(), lamp.width() * 0.9, lamp.height() * 0.9);
    }

    // The glass: its own colour in the middle, darker towards the rim, a reflection up left.
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(path);
    QRadialGradient rim(lamp.center(), std::max(lamp.width(), lamp.height()) * 0.6);
    rim.setColorAt(0.0, Qt::transparent);
    rim.setColorAt(0.55, Qt::transparent);
    rim.setColorAt(1.0, QColor(0, 0, 0, lit ? 90 : 120));
    painter.setBrush(rim);
    painter.drawPath(path);
    if (shape_ == sRound || shape_ == sRectangle) {
        const QRectF spot(lamp.left() + lamp.width() * 0.18, lamp.top() + lamp.height() * 0.12, lamp.width() * 0.32,
                          lamp.height() * 0.24);
        QRadialGradient shine(spot.center(), spot.width() * 0.6);
        shine.setColorAt(0.0, QColor(255, 255, 255, lit ? 220 : 160));
        shine.setColorAt(1.0, QColor(255, 255, 255, 0));
        painter.setBrush(shine);
        painter.drawEllipse(spot);
    }
    painter.setPen(QPen(BevelPainter::ButtonShadow().darker(130), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);

    if (!caption_.isEmpty()) {
        painter.setFont(font());
        painter.setPen(isEnabled() ? QColor(0, 0, 0) : BevelPainter::ButtonShadow());
        Qt::Alignment align = Qt::AlignVCenter | Qt::AlignLeft;
        if (ledPosition_ == lpRight) {
            align = Qt::AlignVCenter | Qt::AlignRight;
        } else if (ledPosition_ == lpTop || ledPosition_ == lpBottom) {
            align = Qt::AlignCenter;
        }
        painter.drawText(CaptionRect(), align, caption_);
    }
}
