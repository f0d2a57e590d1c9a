#pragma once

#include "widgets/TUiAnalogCControl.h"

#include <QRectF>

// A vertical slider: a knob on a track beside a scale. The knob's centre goes to the mouse
// row wherever it was grabbed.
class TUiVSlider : public TUiAnalogCControl {
    Q_OBJECT
public:
    explicit TUiVSlider(QWidget* parent = nullptr);

    // A press anywhere on the track moves the knob there; otherwise only the knob grips.
    bool EnableMouseJump() const { return enableMouseJump_; }
    void SetEnableMouseJump(bool enable) { enableMouseJump_ = enable; }
    int ButtonSize() const { return buttonSize_; }
    void SetButtonSize(int pixels);
    QColor ColorTrench() const { return colorTrench_; }
    void SetColorTrench(const QColor& color);

    // Pixel rows of the track's ends: where the knob's centre sits at the range's ends.
    double TrackTop() const;
    double TrackBottom() const;
    // The track's rectangle (the grip with mouse jump).
    QRectF TrackRect() const;
    // Pixel row of the knob's centre for the current value.
    double KnobCenterY() const;

    QSize sizeHint() const override { return QSize(105, 289); }

protected:
    bool InGrip(const QPointF& point) const override;
    void DragToValue(const QPointF& point) override;
    void PaintStatic(QPainter& painter) override;
    void PaintDynamic(QPainter& painter) override;

private:
    QRectF ValueRect() const;
    double TrackX() const;

    bool enableMouseJump_ = true;
    int buttonSize_ = 30;
    QColor colorTrench_ = QColor(0, 128, 0);
};
