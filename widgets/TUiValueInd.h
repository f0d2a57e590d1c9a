#pragma once

#include "widgets/TUiAnalogGControl.h"
#include "widgets/TUiOption.h"

#include <QColor>
#include <QFont>

// A numeric read-out: the value in a dark window, the unit beside it, two caption lines below.
class TUiValueInd : public TUiAnalogGControl {
    Q_OBJECT
public:
    explicit TUiValueInd(QWidget* parent = nullptr);

    int Options() const { return options_; }
    void SetOptions(int options);
    // Sizes the read-out to fit its parts.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    QFont FontValue() const { return fontValue_; }
    QColor FontValueColor() const { return fontValueColor_; }
    void SetFontValue(const QFont& font);
    void SetFontValueColor(const QColor& color);

    // The value window's rectangle within the read-out.
    QRect ValueRect() const;

    QSize sizeHint() const override;

protected:
    void SettingsApplied() override;
    void paintEvent(QPaintEvent* event) override;

private:
    int CaptionLines() const;
    void FitSize();

    int options_;
    bool autoSize_ = true;
    QFont fontValue_;
    QColor fontValueColor_ = QColor(0, 255, 0);
};
