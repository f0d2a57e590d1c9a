#pragma once

#include "widgets/TUiSwitch.h"

#include <QRectF>
#include <QString>

enum TUiOrientation { boHorizontal, boVertical };

// A toggle switch: a lever on a plate, on the side of its state, with the state's text.
class TUiToggleSwitch : public TUiSwitch {
    Q_OBJECT
public:
    explicit TUiToggleSwitch(QWidget* parent = nullptr);

    TUiOrientation Orientation() const { return orientation_; }
    void SetOrientation(TUiOrientation orientation);
    // The lever is drawn on the other side.
    bool SwapGraphic() const { return swapGraphic_; }
    void SetSwapGraphic(bool swap);
    const QString& TextOn() const { return textOn_; }
    const QString& TextOff() const { return textOff_; }
    void SetTextOn(const QString& text);
    void SetTextOff(const QString& text);
    QColor ColorOn() const { return colorOn_; }
    QColor ColorOff() const { return colorOff_; }
    void SetColorOn(const QColor& color);
    void SetColorOff(const QColor& color);

    // The text and colour of the state shown now.
    QString ShownText() const { return Lit() ? textOn_ : textOff_; }
    QColor ShownColor() const { return Lit() ? colorOn_ : colorOff_; }
    // The lever's knob: towards the "on" end when checked (mirrored by SwapGraphic).
    QRectF LeverRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF PlateRect() const;
    QRectF TextRect() const;

    TUiOrientation orientation_ = boVertical;
    bool swapGraphic_ = false;
    QString textOn_ = QStringLiteral("ON");
    QString textOff_ = QStringLiteral("OFF");
    QColor colorOn_ = QColor(0, 160, 0);
    QColor colorOff_ = QColor(160, 0, 0);
};
