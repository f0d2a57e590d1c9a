#pragma once

#include <QFont>
#include <functional>

// Captions must show whole at the window's fixed size on whatever sans-serif font the
// desktop has: steps the point size down from the font's own until the width fits.
inline QFont FittingFont(QFont font, const std::function<int(const QFont&)>& widthAt, int available,
                         qreal smallestPoint = 6.0) {
    qreal point = font.pointSizeF();
    while (point > smallestPoint && widthAt(font) > available) {
        point -= 0.25;
        font.setPointSizeF(point);
    }
    return font;
}
