#include "widgets/BevelPainter.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

void BevelPainter::Frame(QPainter& painter, const QRectF& rect, bool raised, int width) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor light = raised ? Highlight() : ButtonShadow();
    const QColor dark = raised ? DarkShadow() : Highlight();
    QRectF r = rect.adjusted(0, 0, -1, -1);
    for (int i = 0; i < width; ++i) {
        painter.setPen(i == 0 ? light : light.darker(raised ? 108 : 90));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(i == 0 ? dark : (raised ? ButtonShadow() : ButtonFace()));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    }
    painter.restore();
}

void BevelPainter::Panel(QPainter& painter, const QRectF& rect, const QColor& face) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0.0, face.lighter(108));
    gradient.setColorAt(1.0, face.darker(106));
    painter.fillRect(rect, gradient);
    Frame(painter, rect, true, 2);
}

void BevelPainter::ValueWindow(QPainter& painter, const QRectF& rect) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0.0, QColor(0, 0, 0));
    gradient.setColorAt(1.0, QColor(18, 24, 18));
    painter.fillRect(rect, gradient);
    Frame(painter, rect, false, 2);
}

void BevelPainter::ValueText(QPainter& painter, const QRectF& window, const QString& text, const QFont& font,
                             const QColor& color) {
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(window.adjusted(3, 1, -4, -1), Qt::AlignRight | Qt::AlignVCenter, text);
    painter.restore();
}

void BevelPainter::FittedText(QPainter& painter, const QRectF& rect, int flags, const QString& text) {
    const QFont original = painter.font();
    QFont font = original;
    while (QFontMetricsF(font).horizontalAdvance(text) > rect.width() && font.pointSizeF() > 6.0) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    painter.setFont(font);
    painter.drawText(rect, flags, text);
    painter.setFont(original);
}

QFont BevelPainter::CaptionFont(int pointSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(pointSize);
    return font;
}

QFont BevelPainter::ValueFont(int pointSize) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPointSize(pointSize);
    font.setBold(true);
    return font;
}
