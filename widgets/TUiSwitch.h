#pragma once

#include "widgets/TUiBinGControl.h"

#include <QColor>

// Base of the switches: the lever's bevel colours. A switch toggles on the press.
class TUiSwitch : public TUiBinGControl {
    Q_OBJECT
public:
    explicit TUiSwitch(QWidget* parent = nullptr);

    QColor BtnColorFace() const { return btnColorFace_; }
    QColor BtnColorHighlight() const { return btnColorHighlight_; }
    QColor BtnColorShadow() const { return btnColorShadow_; }
    int BtnBevelWidth() const { return btnBevelWidth_; }
    void SetBtnColorFace(const QColor& color);
    void SetBtnColorHighlight(const QColor& color);
    void SetBtnColorShadow(const QColor& color);
    void SetBtnBevelWidth(int pixels);

private:
    QColor btnColorFace_ = QColor(200, 200, 196);
    QColor btnColorHighlight_ = QColor(250, 250, 250);
    QColor btnColorShadow_ = QColor(100, 100, 100);
    int btnBevelWidth_ = 2;
};
