#include "widgets/TMinMax.h"

bool TMinMax::Offer(float value, const QDateTime& now) {
    bool moved = false;
    if (value > max_) {
        max_ = value;
        maxDateTime_ = now;
        moved = true;
    }
    if (value < min_) {
        min_ = value;
        minDateTime_ = now;
        moved = true;
    }
    return moved;
}

void TMinMax::Reset() {
    max_ = kStartMax;
    min_ = kStartMin;
    maxDateTime_ = QDateTime();
    minDateTime_ = QDateTime();
}
