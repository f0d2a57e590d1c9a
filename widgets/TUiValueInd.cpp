#include "widgets/TUiValueInd.h"

#include "widgets/BevelPainter.h"

#include <QPainter>
#include <algorithm>

namespace {

constexpr int kMargin = 4;
constexpr int kGap = 3;

}  // namespace

TUiValueInd::TUiValueInd(QWidget* parent)
    : TUiAnalogGControl(parent), options_(opName1 | opName2 | opUnit), fontValue_(BevelPainter::ValueFont()) {
    resize(67, 48);
    FitSize();
}

void TUiValueInd::SetOptions(int options) {
    if (options != options_) {
        options_ = options;
        FitSize();
        update();
    }
}

void TUiValueInd::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    FitSize();
}

void TUiValueInd::SetFontValue(const QFont& font) {
    fontValue_ = font;
    FitSize();
    update();
}

void TUiValueInd::SetFontValueColor(const QColor& color) {
    fontValueColor_ = color;
    update();
}

void TUiValueInd::SettingsApplied() {
    FitSize();
}

int TUiValueInd::CaptionLines() const {
    return ((options_ & opName1) ? 1 : 0) + ((options_ & opName2) ? 1 : 0);
}

QSize TUiValueInd::sizeHint() const {
    const QFontMetrics value(fontValue_);
    const QFontMetrics caption(font());
    QString widest = SignalSettings().WidestFormatText();
    widest.replace(u'#', u'0');
    const int window = value.horizontalAdvance(u'-' + widest) + 12;
    const int unit = (options_ & opUnit) ? caption.horizontalAdvance(SignalSettings().ValueUnit()) + kGap : 0;
    int names = 0;
    if (options_ & opName1) {
        names = std::max(names, caption.horizontalAdvance(SignalSettings().Name1()));
    }
    if (options_ & opName2) {
        names = std::max(names, caption.horizontalAdvance(SignalSettings().Name2()));
    }
    const int bevel = (options_ & opBevelOuter) ? 2 : 0;
    const int w = std::max(window + unit, names) + 2 * (kMargin + bevel);
    const int h = value.height() + 6 + CaptionLines() * caption.height() + 2 * (kMargin + bevel) + 1;
    return QSize(w, h);
}

void TUiValueInd::FitSize() {
    if (autoSize_) {
        resize(sizeHint());
    }
}

QRect TUiValueInd::ValueRect() const {
    const QFontMetrics value(fontValue_);
    const QFontMetrics caption(font());
    QString widest = SignalSettings().WidestFormatText();
    widest.replace(u'#', u'0');
    const int bevel = (options_ & opBevelOuter) ? 2 : 0;
    const int w = value.horizontalAdvance(u'-' + widest) + 12;
    const int unit = (options_ & opUnit) ? caption.horizontalAdvance(SignalSettings().ValueUnit()) + kGap : 0;
    const int left = std::max(kMargin + bevel, (width() - w - unit) / 2);
    return QRect(left, kMargin + bevel, std::min(w, width() - left - kMargin - bevel), value.height() + 6);
}

void TUiValueInd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (options_ & opBevelOuter) {
        BevelPainter::Panel(painter, rect(), BevelPainter::ButtonFace());
    }
    if (options_ & opBevelInner) {
        BevelPainter::Frame(painter, rect().adjusted(2, 2, -2, -2), false, 1);
    }
    const QRect window = ValueRect();
    BevelPainter::ValueWindow(painter, window);
    BevelPainter::ValueText(painter, window, ValueText(), fontValue_,
                            isEnabled() ? fontValueColor_ : BevelPainter::ButtonShadow());

    painter.setFont(font());
    painter.setPen(isEnabled() ? QColor(0, 0, 0) : BevelPainter::ButtonShadow());
    if (options_ & opUnit) {
        painter.drawText(QRect(window.right() + kGap, window.top(), width() - window.right() - kGap, window.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, SignalSettings().ValueUnit());
    }
    const int lineHeight = QFontMetrics(font()).height();
    int y = window.bottom() + 2;
    if (options_ & opName1) {
        BevelPainter::FittedText(painter, QRect(0, y, width(), lineHeight), Qt::AlignCenter, SignalSettings().Name1());
        y += lineHeight;
    }
    if (options_ & opName2) {
        BevelPainter::FittedText(painter, QRect(0, y, width(), lineHeight), Qt::AlignCenter, SignalSettings().Name2());
    }
}
