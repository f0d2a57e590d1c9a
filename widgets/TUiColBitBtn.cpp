#include "widgets/TUiColBitBtn.h"

#include "widgets/BevelPainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

TUiColBitBtn::TUiColBitBtn(QWidget* parent) : TUiBinGControl(parent) {
    resize(120, 28);
}

void TUiColBitBtn::SetTextOn(const QString& text) {
    textOn_ = text;
    updateGeometry();
    update();
}

void TUiColBitBtn::SetTextOff(const QString& text) {
    textOff_ = text;
    updateGeometry();
    update();
}

void TUiColBitBtn::SetTextColOn(const QColor& color) {
    textColOn_ = color;
    update();
}

void TUiColBitBtn::SetTextColOff(const QColor& color) {
    textColOff_ = color;
    update();
}

void TUiColBitBtn::SetTextColDisabled(const QColor& color) {
    textColDisabled_ = color;
    update();
}

void TUiColBitBtn::SetColorOn(const QColor& color) {
    colorOn_ = color;
    update();
}

void TUiColBitBtn::SetColorOff(const QColor& color) {
    colorOff_ = color;
    update();
}

void TUiColBitBtn::SetColorDisabled(const QColor& color) {
    colorDisabled_ = color;
    update();
}

void TUiColBitBtn::SetGradBtnFace(const QColor& from, const QColor& to, bool visible) {
    gradFrom_ = from;
    gradTo_ = to;
    gradVisible_ = visible;
    update();
}

void TUiColBitBtn::SetCheckedOptions(int options) {
    checkedOptions_ = options;
    update();
}

void TUiColBitBtn::SetFlashOptions(int options) {
    flashOptions_ = options;
    update();
}

void TUiColBitBtn::SetBeveled(bool beveled) {
    beveled_ = beveled;
    update();
}

void TUiColBitBtn::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void TUiColBitBtn::SetFlat(bool flat) {
    flat_ = flat;
    update();
}

void TUiColBitBtn::SetText3D(bool text3D) {
    text3D_ = text3D;
    update();
}

void TUiColBitBtn::SetOffsetDown(int pixels) {
    offsetDown_ = std::max(0, pixels);
    update();
}

void TUiColBitBtn::SetBevelWidth(int pixels) {
    bevelWidth_ = std::max(0, pixels);
    update();
}

void TUiColBitBtn::SetGlyph(const QPixmap& glyph, int numGlyph) {
    glyph_ = glyph;
    numGlyph_ = std::max(1, numGlyph);
    updateGeometry();
    update();
}

void TUiColBitBtn::SetPosGlyph(TPosGlyph position) {
    posGlyph_ = position;
    update();
}

void TUiColBitBtn::SetPosHorizontal(TPosHorizontal position) {
    posHorizontal_ = position;
    update();
}

void TUiColBitBtn::SetPosVertical(TPosVertical position) {
    posVertical_ = position;
    update();
}

void TUiColBitBtn::SetSpacing(int pixels) {
    spacing_ = std::max(0, pixels);
    update();
}

bool TUiColBitBtn::CheckedLook(int checkedOption, int flashOption) const {
    // A blinking aspect follows the blink phase; the others show the state.
    if (Blinking() && (flashOptions_ & flashOption)) {
        return BlinkPhaseOn();
    }
    return Checked() && (checkedOptions_ & checkedOption);
}

QString TUiColBitBtn::ShownText() const {
    return CheckedLook(coText, foText) || textOff_.isEmpty() ? textOn_ : textOff_;
}

QColor TUiColBitBtn::ShownTextColor() const {
    if (!isEnabled()) {
        return textColDisabled_;
    }
    return CheckedLook(coTextCol, foTextCol) ? textColOn_ : textColOff_;
}

QColor TUiColBitBtn::ShownFaceColor() const {
    if (!isEnabled()) {
        return colorDisabled_;
    }
    return CheckedLook(coBtnCol, foBtnCol) ? colorOn_ : colorOff_;
}

int TUiColBitBtn::ShownGlyphIndex() const {
    if (numGlyph_ >= 2 && !isEnabled()) {
        return 1;
    }
    if (numGlyph_ >= 3 && CheckedLook(coGlyph, foGlyph)) {
        return 2;
    }
    return 0;
}

bool TUiColBitBtn::Sunken() const {
    return Pressed() || (Checked() && (checkedOptions_ & coBevel));
}

QSize TUiColBitBtn::sizeHint() const {
    const QFontMetrics metrics(font());
    const int text = std::max(metrics.horizontalAdvance(textOn_), metrics.horizontalAdvance(textOff_));
    const int glyph = glyph_.isNull() ? 0 : glyph_.width() / numGlyph_ + spacing_;
    return QSize(text + glyph + 2 * bevelWidth_ + 14, std::max(metrics.height(), glyph_.height()) + 2 * bevelWidth_ + 10);
}

void TUiColBitBtn::PaintFace(QPainter& painter, const QRectF& face) const {
    if (transparent_) {
        return;
    }
    const bool sunken = Sunken();
    QLinearGradient gradient(face.topLeft(), face.bottomLeft());
    if (gradVisible_ && isEnabled()) {
        gradient.setColorAt(0.0, sunken ? gradTo_ : gradFrom_);
        gradient.setColorAt(1.0, sunken ? gradFrom_ : gradTo_);
    } else {
        // A gently domed face whose middle shows the face colour itself.
        const QColor color = ShownFaceColor();
        gradient.setColorAt(0.0, sunken ? color.darker(112) : color.lighter(118));
        gradient.setColorAt(0.5, color);
        gradient.setColorAt(1.0, sunken ? color.lighter(108) : color.darker(115));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(face, 3, 3);
}

void TUiColBitBtn::PaintContent(QPainter& painter, const QRectF& face) const {
    QRectF content = face.adjusted(bevelWidth_ + 3, bevelWidth_ + 1, -(bevelWidth_ + 3), -(bevelWidth_ + 1));
    if (Sunken()) {
        content.translate(offsetDown_, offsetDown_);
    }
    if (!glyph_.isNull()) {
        const int w = glyph_.width() / numGlyph_;
        const QPixmap image = glyph_.copy(ShownGlyphIndex() * w, 0, w, glyph_.height());
        QRectF place(QPointF(0, 0), QSizeF(w, glyph_.height()));
        switch (posGlyph_) {
        case pLeft:
            place.moveCenter(QPointF(content.left() + w / 2.0, content.center().y()));
            content.setLeft(place.right() + spacing_);
            break;
        case pRight:
            place.moveCenter(QPointF(content.right() - w / 2.0, content.center().y()));
            content.setRight(place.left() - spacing_);
            break;
        case pTop:
            place.moveCenter(QPointF(content.center().x(), content.top() + glyph_.height() / 2.0));
            content.setTop(place.bottom() + spacing_);
            break;
        case pBottom:
            place.moveCenter(QPointF(content.center().x(), content.bottom() - glyph_.height() / 2.0));
            content.setBottom(place.top() - spacing_);
            break;
        }
        painter.drawPixmap(place.topLeft(), image);
    }

    const QString text = ShownText();
    if (text.isEmpty()) {
        return;
    }
    int align = Qt::TextWordWrap;
    align |= posHorizontal_ == phLeft ? Qt::AlignLeft : posHorizontal_ == phRight ? Qt::AlignRight : Qt::AlignHCenter;
    align |= posVertical_ == pvTop ? Qt::AlignTop : posVertical_ == pvBottom ? Qt::AlignBottom : Qt::AlignVCenter;
    painter.setFont(font());
    if (text3D_) {
        painter.setPen(QColor(255, 255, 255, 200));
        painter.drawText(content.translated(1, 1), align, text);
    }
    painter.setPen(ShownTextColor());
    painter.drawText(content, align, text);
}

void TUiColBitBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    PaintFace(painter, face);

    const bool showBevel = beveled_ && (!flat_ || (Hovered() && isEnabled()));
    if (showBevel && bevelWidth_ > 0) {
        const bool sunken = Sunken();
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(BevelPainter::DarkShadow(), 1));
        painter.drawRoundedRect(face, 3, 3);
        const QRectF inner = face.adjusted(1, 1, -1, -1);
        QLinearGradient edge(inner.topLeft(), inner.bottomRight());
        edge.setColorAt(0.0, sunken ? QColor(0, 0, 0, 110) : QColor(255, 255, 255, 200));
        edge.setColorAt(1.0, sunken ? QColor(255, 255, 255, 120) : QColor(0, 0, 0, 110));
        painter.setPen(QPen(QBrush(edge), bevelWidth_ - 0.5));
        painter.drawRoundedRect(inner.adjusted(bevelWidth_ / 2.0 - 0.5, bevelWidth_ / 2.0 - 0.5,
                                               -(bevelWidth_ / 2.0 - 0.5), -(bevelWidth_ / 2.0 - 0.5)),
                                2.5, 2.5);
    }
    PaintContent(painter, face);
}
