#pragma once

#include "widgets/TUiBinGControl.h"

#include <QColor>
#include <QRectF>
#include <QString>

enum TLedShape { sRound, sArrowLeft, sArrowRight, sArrowUp, sArrowDown, sRectangle };
enum TLedPosition { lpLeft, lpRight, lpTop, lpBottom };

// A lamp with its caption beside it.
class TUiLED : public TUiBinGControl {
    Q_OBJECT
public:
    explicit TUiLED(QWidget* parent = nullptr);

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    QColor ColorOn() const { return colorOn_; }
    QColor ColorOff() const { return colorOff_; }
    void SetColorOn(const QColor& color);
    void SetColorOff(const QColor& color);
    TLedShape Shape() const { return shape_; }
    void SetShape(TLedShape shape);
    int LedWidth() const { return ledWidth_; }
    int LedHeight() const { return ledHeight_; }
    void SetLedSize(int width, int height);
    TLedPosition LedPosition() const { return ledPosition_; }
    void SetLedPosition(TLedPosition position);
    int Spacing() const { return spacing_; }
    void SetSpacing(int pixels);

    // Where the lamp itself is drawn.
    QRectF LampRect() const;
    // The colour the lamp shows now.
    QColor ShownColor() const { return Lit() ? colorOn_ : colorOff_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF CaptionRect() const;
    QSizeF CaptionSize() const;

    QString caption_;
    QColor colorOn_ = QColor(0, 255, 0);
    QColor colorOff_;
    TLedShape shape_ = sRound;
    int ledWidth_ = 13;
    int ledHeight_ = 13;
    TLedPosition ledPosition_ = lpLeft;
    int spacing_ = 5;
};
