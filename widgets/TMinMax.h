#pragma once

#include <QColor>
#include <QDateTime>

// The lowest and highest value a read-out has shown, with when they were reached.
class TMinMax {
public:
    static constexpr float kStartMax = -9999999.0f;
    static constexpr float kStartMin = 9999999.0f;

    float Max() const { return max_; }
    float Min() const { return min_; }
    const QDateTime& MaxDateTime() const { return maxDateTime_; }
    const QDateTime& MinDateTime() const { return minDateTime_; }
    QColor MaxColor() const { return maxColor_; }
    QColor MinColor() const { return minColor_; }
    bool UseSectorCol() const { return useSectorCol_; }
    bool MinVisible() const { return minVisible_; }
    bool MaxVisible() const { return maxVisible_; }

    void SetMaxColor(const QColor& color) { maxColor_ = color; }
    void SetMinColor(const QColor& color) { minColor_ = color; }
    void SetUseSectorCol(bool use) { useSectorCol_ = use; }
    void SetMinVisible(bool visible) { minVisible_ = visible; }
    void SetMaxVisible(bool visible) { maxVisible_ = visible; }

    // Records the value when it is a new minimum or maximum; true when either moved.
    bool Offer(float value, const QDateTime& now);
    void Reset();

private:
    float max_ = kStartMax;
    float min_ = kStartMin;
    QDateTime maxDateTime_;
    QDateTime minDateTime_;
    QColor maxColor_ = QColor(0, 255, 255);
    QColor minColor_ = QColor(0, 255, 255);
    bool useSectorCol_ = true;
    bool minVisible_ = true;
    bool maxVisible_ = true;
};
