#include "widgets/TUiToggleSwitch.h"

#include "widgets/BevelPainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace {

constexpr double kPad = 3.0;

}  // namespace

TUiToggleSwitch::TUiToggleSwitch(QWidget* parent) : TUiSwitch(parent) {
    resize(sizeHint());
}

void TUiToggleSwitch::SetOrientation(TUiOrientation orientation) {
    orientation_ = orientation;
    updateGeometry();
    update();
}

void TUiToggleSwitch::SetSwapGraphic(bool swap) {
    swapGraphic_ = swap;
    update();
}

void TUiToggleSwitch::SetTextOn(const QString& text) {
    textOn_ = text;
    updateGeometry();
    update();
}

void TUiToggleSwitch::SetTextOff(const QString& text) {
    textOff_ = text;
    updateGeometry();
    update();
}

void TUiToggleSwitch::SetColorOn(const QColor& color) {
    colorOn_ = color;
    update();
}

void TUiToggleSwitch::SetColorOff(const QColor& color) {
    colorOff_ = color;
    update();
}

QSize TUiToggleSwitch::sizeHint() const {
    const QFontMetrics metrics(font());
    const int text = std::max(metrics.horizontalAdvance(textOn_), metrics.horizontalAdvance(textOff_)) + 4;
    if (orientation_ == boVertical) {
        return QSize(22 + 6 + text + 2 * int(kPad), std::max(44, metrics.height()) + 2 * int(kPad));
    }
    return QSize(std::max(44, text) + 2 * int(kPad), 22 + 4 + metrics.height() + 2 * int(kPad));
}

QRectF TUiToggleSwitch::PlateRect() const {
    if (orientation_ == boVertical) {
        return QRectF(kPad, kPad, 22.0, height() - 2 * kPad);
    }
    const double textHeight = QFontMetricsF(font()).height() + 4.0;
    return QRectF(kPad, kPad, width() - 2 * kPad, std::max(10.0, height() - 2 * kPad - textHeight));
}

QRectF TUiToggleSwitch::TextRect() const {
    const QRectF plate = PlateRect();
    if (orientation_ == boVertical) {
        return QRectF(plate.right() + 6.0, 0, width() - plate.right() - 6.0, height());
    }
    return QRectF(0, plate.bottom() + 2.0, width(), height() - plate.bottom() - 2.0);
}

QRectF TUiToggleSwitch::LeverRect() const {
    const QRectF plate = PlateRect().adjusted(3, 3, -3, -3);
    // On lies up (vertical) or right (horizontal); SwapGraphic turns the plate round.
    const bool towardsOn = Checked() != swapGraphic_;
    if (orientation_ == boVertical) {
        const double h = plate.height() * 0.5;
        return QRectF(plate.left(), towardsOn ? plate.top() : plate.bottom() - h, plate.width(), h);
    }
    const double w = plate.width() * 0.5;
    return QRectF(towardsOn ? plate.right() - w : plate.left(), plate.top(), w, plate.height());
}

void TUiToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // The plate: a sunken slot the lever slides in.
    const QRectF plate = PlateRect();
    QLinearGradient slot(plate.topLeft(), plate.bottomRight());
    slot.setColorAt(0.0, QColor(70, 70, 70));
    slot.setColorAt(1.0, QColor(30, 30, 30));
    painter.setPen(QPen(BtnColorShadow(), 1));
    painter.setBrush(slot);
    painter.drawRoundedRect(plate, 4, 4);

    // The lever: a bevelled block in the button colours, with a lamp stripe of the state's colour.
    const QRectF lever = LeverRect();
    QLinearGradient face(lever.topLeft(), orientation_ == boVertical ? lever.bottomLeft() : lever.topRight());
    face.setColorAt(0.0, BtnColorHighlight());
    face.setColorAt(0.5, BtnColorFace());
    face.setColorAt(1.0, BtnColorShadow());
    painter.setPen(QPen(BtnColorShadow().darker(150), std::max(1, BtnBevelWidth() / 2)));
    painter.setBrush(face);
    painter.drawRoundedRect(lever, 2.5, 2.5);
    const QRectF stripe = orientation_ == boVertical
                              ? QRectF(lever.left() + 3, lever.center().y() - 2, lever.width() - 6, 4)
                              : QRectF(lever.center().x() - 2, lever.top() + 3, 4, lever.height() - 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isEnabled() ? ShownColor() : BevelPainter::ButtonShadow());
    painter.drawRect(stripe);

    painter.setFont(font());
    painter.setPen(isEnabled() ? ShownColor() : BevelPainter::ButtonShadow());
    painter.drawText(TextRect(), orientation_ == boVertical ? (Qt::AlignLeft | Qt::AlignVCenter) : Qt::AlignCenter,
                     ShownText());
}
