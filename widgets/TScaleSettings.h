#pragma once

#include "widgets/TUiPersistent.h"

#include <QColor>
#include <QString>

// How an instrument draws its scale: labelled divisions, sub-divisions, base line, labels.
class TScaleSettings : public TUiPersistent {
public:
    QColor Color() const { return color_; }
    QColor PointerColor() const { return pointerColor_; }
    int Steps() const { return steps_; }
    int SubSteps() const { return subSteps_; }
    bool DrawLine() const { return drawLine_; }
    bool PosLeftTop() const { return posLeftTop_; }
    const QString& ValueFormat() const { return valueFormat_; }
    int FontPointSize() const { return fontPointSize_; }

    void SetColor(const QColor& color) { Store(color_, color); }
    void SetPointerColor(const QColor& color) { Store(pointerColor_, color); }
    // At least one division and one sub-division; smaller counts are raised to 1.
    void SetSteps(int steps) { Store(steps_, steps < 1 ? 1 : steps); }
    void SetSubSteps(int subSteps) { Store(subSteps_, subSteps < 1 ? 1 : subSteps); }
    void SetDrawLine(bool draw) { Store(drawLine_, draw); }
    void SetPosLeftTop(bool leftTop) { Store(posLeftTop_, leftTop); }
    void SetValueFormat(const QString& picture) { Store(valueFormat_, picture); }
    void SetFontPointSize(int points) { Store(fontPointSize_, points < 4 ? 4 : points); }

private:
    QColor color_ = QColor(235, 235, 225);
    QColor pointerColor_ = QColor(0, 255, 0);
    int steps_ = 5;
    int subSteps_ = 2;
    bool drawLine_ = true;
    bool posLeftTop_ = false;
    QString valueFormat_ = QStringLiteral("##0");
    int fontPointSize_ = 7;
};
