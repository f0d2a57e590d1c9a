#pragma once

#include "widgets/AnalogValueModel.h"
#include "widgets/TUiAnalogGControl.h"
#include "widgets/TScaleSettings.h"
#include "widgets/TUiOption.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

// A focusable analog instrument: the operator sets its value with the keyboard, the wheel
// and the mouse. Concrete instruments map a mouse position to a digit and paint.
class TUiAnalogCControl : public QWidget {
    Q_OBJECT
public:
    explicit TUiAnalogCControl(QWidget* parent = nullptr);
    ~TUiAnalogCControl() override;

    float Value() const { return model_.Value(); }
    // Quantises as a drag does; OnValueChange runs when the grid position moves.
    void SetValue(float value);
    int Digit() const { return model_.Digit(); }
    void SetDigit(int digit);

    int ChangeSmall() const { return changeSmall_; }
    int ChangeLarge() const { return changeLarge_; }
    void SetChangeSmall(int digits) { changeSmall_ = digits; }
    void SetChangeLarge(int digits) { changeLarge_ = digits; }

    TSignalSettings& SignalSettings() { return model_.Settings(); }
    const TSignalSettings& SignalSettings() const { return model_.Settings(); }
    TScaleSettings& ScaleSettings() { return scale_; }
    const TScaleSettings& ScaleSettings() const { return scale_; }

    QColor ColorFocus() const { return colorFocus_; }
    QColor ColorNonFocus() const { return colorNonFocus_; }
    void SetColorFocus(const QColor& color);
    void SetColorNonFocus(const QColor& color);
    bool EnableKeyboard() const { return enableKeyboard_; }
    void SetEnableKeyboard(bool enable) { enableKeyboard_ = enable; }
    Qt::CursorShape CursorSlide() const { return cursorSlide_; }
    void SetCursorSlide(Qt::CursorShape shape) { cursorSlide_ = shape; }
    int Options() const { return options_; }
    void SetOptions(int options);
    QFont FontValue() const { return fontValue_; }
    QColor FontValueColor() const { return fontValueColor_; }
    void SetFontValue(const QFont& font);
    void SetFontValueColor(const QColor& color);
    // A disabled instrument only displays (the consumption dial).
    void SetEnabled(bool enabled) { setEnabled(enabled); }

    // The read-out that mirrors Value; it takes over the signal settings now and after
    // every change of them. Cleared when the read-out is destroyed.
    void SetValueIndicator(TUiAnalogGControl* indicator);
    TUiAnalogGControl* ValueIndicator() const { return indicator_; }

    const QString& ValueText() const { return valueText_; }
    QString DigitText() const { return QString::number(model_.Digit()); }
    bool Dragging() const { return dragging_; }
    // The pointer colour as it is drawn now: focus, no focus or disabled.
    QColor PointerColor() const;

signals:
    // The grid position changed (by code, keyboard, wheel or mouse).
    void OnValueChange();
    // A keyboard or mouse change is finished (key or left button released).
    void OnValueChanged();

protected:
    // The area a left press must hit to start a drag.
    virtual bool InGrip(const QPointF& point) const = 0;
    // Sets the digit for a mouse position while dragging.
    virtual void DragToValue(const QPointF& point) = 0;
    // A press is about to be tested against the grip (the dial records the mouse angle).
    virtual void PressAt(const QPointF& point) { Q_UNUSED(point); }
    // The value moved: concrete instruments update their pointer state.
    virtual void ValueMoved() {}
    // Paints the layers that only change with settings or size (bevel, scale, captions).
    virtual void PaintStatic(QPainter& painter) = 0;
    // Paints the pointer and the value window over them.
    virtual void PaintDynamic(QPainter& painter) = 0;
    // The instrument's panel (bevelled unless switched off) and its two name lines.
    void PaintPanelAndNames(QPainter& painter, double margin) const;
    // The height the name lines that are shown take at the top.
    double CaptionHeight() const;

    // Drops the cached static layers after a change of settings, size or enabled state.
    void InvalidateStatic();
    AnalogValueModel& Model() { return model_; }
    const AnalogValueModel& Model() const { return model_; }
    // Applies a digit worked out by the operator's drag, key or wheel.
    void ApplyDigit(long long digit);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ValueChanged();
    void SettingsChanged();
    void CopySettingsToIndicator();
    void FinishChange();

    AnalogValueModel model_;
    TScaleSettings scale_;
    int changeSmall_ = 1;
    int changeLarge_ = 10;
    QColor colorFocus_ = QColor(0, 255, 0);
    QColor colorNonFocus_ = QColor(0, 128, 0);
    Qt::CursorShape cursorSlide_ = Qt::PointingHandCursor;
    bool enableKeyboard_ = true;
    int options_ = 0;
    QFont fontValue_;
    QColor fontValueColor_ = QColor(0, 255, 0);
    QPointer<TUiAnalogGControl> indicator_;
    QMetaObject::Connection indicatorDestroyed_;
    QString valueText_;
    bool dragging_ = false;
    QPixmap staticLayers_;
    bool staticValid_ = false;
};
