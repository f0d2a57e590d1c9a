#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>

class QPainter;

// The frames and surfaces every instrument shares: raised panels, sunken bevels and the
// dark value windows with their lit digits.
class BevelPainter {
public:
    static QColor ButtonFace() { return QColor(212, 208, 200); }
    static QColor ButtonShadow() { return QColor(128, 128, 128); }
    static QColor Highlight() { return QColor(255, 255, 255); }
    static QColor DarkShadow() { return QColor(64, 64, 64); }

    // A bevelled frame of the given width: light top-left and dark bottom-right when raised.
    static void Frame(QPainter& painter, const QRectF& rect, bool raised, int width);
    // A raised instrument panel with a slightly brushed face.
    static void Panel(QPainter& painter, const QRectF& rect, const QColor& face);
    // A sunken black value window.
    static void ValueWindow(QPainter& painter, const QRectF& rect);
    // Lit digits, right-aligned inside a value window.
    static void ValueText(QPainter& painter, const QRectF& window, const QString& text, const QFont& font,
                          const QColor& color);

    // A caption line in the painter's font, made smaller (down to 6 points) until it fits.
    static void FittedText(QPainter& painter, const QRectF& rect, int flags, const QString& text);

    // Caption and value fonts: the nearest sans-serif faces at sizes where captions fit.
    static QFont CaptionFont(int pointSize = 8);
    static QFont ValueFont(int pointSize = 9);
};
