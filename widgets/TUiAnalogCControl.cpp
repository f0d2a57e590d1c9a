#include "widgets/TUiAnalogCControl.h"

#include "widgets/BevelPainter.h"
#include "widgets/TUiAnalogGControl.h"

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

TUiAnalogCControl::TUiAnalogCControl(QWidget* parent)
    : QWidget(parent),
      options_(opBevelOuter | opUnit | opValue | opName1 | opName2 | opScale | opScaleText),
      fontValue_(BevelPainter::ValueFont()) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setFont(BevelPainter::CaptionFont());
    model_.SetOnSettingsChange([this] { SettingsChanged(); });
    scale_.SetOnChange([this] { InvalidateStatic(); });
    valueText_ = model_.Settings().FormatValue(model_.Value());
}

TUiAnalogCControl::~TUiAnalogCControl() {
    disconnect(indicatorDestroyed_);
}

void TUiAnalogCControl::SetValue(float value) {
    if (model_.SetValue(value)) {
        ValueChanged();
        emit OnValueChange();
    }
}

void TUiAnalogCControl::SetDigit(int digit) {
    if (model_.SetDigit(digit)) {
        ValueChanged();
        emit OnValueChange();
    }
}

void TUiAnalogCControl::ApplyDigit(long long digit) {
    if (model_.OperatorDigit(digit)) {
        ValueChanged();
        emit OnValueChange();
    }
}

void TUiAnalogCControl::ValueChanged() {
    valueText_ = model_.Settings().FormatValue(model_.Value());
    if (indicator_) {
        indicator_->SetValue(model_.Value());
    }
    ValueMoved();
    update();
}

void TUiAnalogCControl::SettingsChanged() {
    CopySettingsToIndicator();
    valueText_ = model_.Settings().FormatValue(model_.Value());
    ValueMoved();
    InvalidateStatic();
}

void TUiAnalogCControl::CopySettingsToIndicator() {
    if (indicator_) {
        indicator_->SignalSettings().Assign(model_.Settings());
    }
}

void TUiAnalogCControl::SetValueIndicator(TUiAnalogGControl* indicator) {
    if (indicator == indicator_) {
        return;
    }
    disconnect(indicatorDestroyed_);
    indicator_ = indicator;
    if (indicator) {
        indicatorDestroyed_ = connect(indicator, &QObject::destroyed, this, [this] { indicator_ = nullptr; });
        CopySettingsToIndicator();
        ValueChanged();
    }
}

void TUiAnalogCControl::SetColorFocus(const QColor& color) {
    colorFocus_ = color;
    update();
}

void TUiAnalogCControl::SetColorNonFocus(const QColor& color) {
    colorNonFocus_ = color;
    update();
}

void TUiAnalogCControl::SetOptions(int options) {
    if (options != options_) {
        options_ = options;
        InvalidateStatic();
    }
}

void TUiAnalogCControl::SetFontValue(const QFont& font) {
    fontValue_ = font;
    InvalidateStatic();
}

void TUiAnalogCControl::SetFontValueColor(const QColor& color) {
    fontValueColor_ = color;
    update();
}

QColor TUiAnalogCControl::PointerColor() const {
    if (!isEnabled()) {
        return BevelPainter::ButtonShadow();
    }
    return hasFocus() ? colorFocus_ : colorNonFocus_;
}

void TUiAnalogCControl::InvalidateStatic() {
    staticValid_ = false;
    update();
}

double TUiAnalogCControl::CaptionHeight() const {
    const int lines = ((Options() & opName1) ? 1 : 0) + ((Options() & opName2) ? 1 : 0);
    return lines * QFontMetricsF(font()).height();
}

void TUiAnalogCControl::PaintPanelAndNames(QPainter& painter, double margin) const {
    const QRectF all = rect();
    if (Options() & opBevelOuter) {
        BevelPainter::Panel(painter, all, BevelPainter::ButtonFace());
    } else {
        painter.fillRect(all, BevelPainter::ButtonFace());
    }

    painter.setFont(font());
    painter.setPen(isEnabled() ? QColor(0, 0, 0) : BevelPainter::ButtonShadow());
    const double lineHeight = QFontMetricsF(font()).height();
    double y = margin + 1.0;
    if (Options() & opName1) {
        BevelPainter::FittedText(painter, QRectF(margin, y, width() - 2 * margin, lineHeight), Qt::AlignCenter,
                                 SignalSettings().Name1());
        y += lineHeight;
    }
    if (Options() & opName2) {
        BevelPainter::FittedText(painter, QRectF(margin, y, width() - 2 * margin, lineHeight), Qt::AlignCenter,
                                 SignalSettings().Name2());
    }
}

void TUiAnalogCControl::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (!staticValid_ || staticLayers_.size() != pixels) {
        staticLayers_ = QPixmap(pixels);
        staticLayers_.setDevicePixelRatio(ratio);
        staticLayers_.fill(Qt::transparent);
        QPainter layers(&staticLayers_);
        layers.setRenderHint(QPainter::Antialiasing);
        layers.setRenderHint(QPainter::TextAntialiasing);
        PaintStatic(layers);
        staticValid_ = true;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, staticLayers_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PaintDynamic(painter);
}

void TUiAnalogCControl::resizeEvent(QResizeEvent* event) {
    staticValid_ = false;
    ValueMoved();
    QWidget::resizeEvent(event);
}

void TUiAnalogCControl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange) {
        InvalidateStatic();
    }
    QWidget::changeEvent(event);
}

void TUiAnalogCControl::keyPressEvent(QKeyEvent* event) {
    if (!enableKeyboard_) {
        QWidget::keyPressEvent(event);
        return;
    }
    const TSignalSettings& settings = model_.Settings();
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        ApplyDigit(static_cast<long long>(Digit()) + changeSmall_);
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        ApplyDigit(static_cast<long long>(Digit()) - changeSmall_);
        break;
    case Qt::Key_PageUp:
        ApplyDigit(static_cast<long long>(Digit()) + changeLarge_);
        break;
    case Qt::Key_PageDown:
        ApplyDigit(static_cast<long long>(Digit()) - changeLarge_);
        break;
    case Qt::Key_Home:
        ApplyDigit(settings.DigitalFrom());
        break;
    case Qt::Key_End:
        ApplyDigit(settings.DigitalTo());
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TUiAnalogCControl::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) {
        FinishChange();
    }
    QWidget::keyReleaseEvent(event);
}

void TUiAnalogCControl::FinishChange() {
    if (model_.FinishChange()) {
        emit OnValueChanged();
    }
}

void TUiAnalogCControl::wheelEvent(QWheelEvent* event) {
    // One notch at a time; fast wheels that pack several notches into one event are ignored.
    const int delta = event->angleDelta().y();
    if (delta == 120) {
        ApplyDigit(static_cast<long long>(Digit()) + changeSmall_);
    } else if (delta == -120) {
        ApplyDigit(static_cast<long long>(Digit()) - changeSmall_);
    }
    event->accept();
}

void TUiAnalogCControl::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        const QPointF point = event->position();
        PressAt(point);
        if (InGrip(point)) {
            dragging_ = true;
            DragToValue(point);
        }
    }
    event->accept();
}

void TUiAnalogCControl::mouseMoveEvent(QMouseEvent* event) {
    const QPointF point = event->position();
    setCursor(InGrip(point) ? cursorSlide_ : Qt::ArrowCursor);
    if (dragging_) {
        DragToValue(point);
    }
    event->accept();
}

void TUiAnalogCControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
        FinishChange();
    }
    event->accept();
}

void TUiAnalogCControl::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void TUiAnalogCControl::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}
