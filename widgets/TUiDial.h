#pragma once

#include "widgets/TSectorSettings.h"
#include "widgets/TUiAnalogCControl.h"

#include <QRectF>

// A round dial: scale and pointer span 270 degrees from the lower left over the top to the
// lower right, the gap at the bottom. The mouse turns the pointer relative to where it was.
class TUiDial : public TUiAnalogCControl {
    Q_OBJECT
public:
    static constexpr double kSpanDegrees = 270.0;
    static constexpr double kStartDegrees = 225.0;

    explicit TUiDial(QWidget* parent = nullptr);

    // Pointer angle within the span, 0 at the scale's start, 270 at its end.
    double PointerAngle() const { return pointerAngle_; }
    // The round face: a press within it starts a drag.
    QRectF FaceRect() const;
    // The screen point at the given angle of the span and distance from the face's centre.
    QPointF PointAt(double spanAngle, double radius) const;

    // Optional coloured bands over the scale (a tachometer's red zone).
    TSectorSettings& SectorSettings() { return sectors_; }
    bool ShowSectors() const { return showSectors_; }
    void SetShowSectors(bool show);

    QSize sizeHint() const override { return QSize(113, 161); }

protected:
    bool InGrip(const QPointF& point) const override;
    void DragToValue(const QPointF& point) override;
    void PressAt(const QPointF& point) override;
    void ValueMoved() override;
    void PaintStatic(QPainter& painter) override;
    void PaintDynamic(QPainter& painter) override;

private:
    double MouseAngle(const QPointF& point) const;
    QRectF ValueRect() const;

    TSectorSettings sectors_;
    bool showSectors_ = false;
    double pointerAngle_ = 0.0;
    double lastMouseAngle_ = 0.0;
};
