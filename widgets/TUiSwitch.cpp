#include "widgets/TUiSwitch.h"

#include <algorithm>

TUiSwitch::TUiSwitch(QWidget* parent) : TUiBinGControl(parent) {
    // A switch switches: it toggles on the press.
    SetMode(mSwitch);
}

void TUiSwitch::SetBtnColorFace(const QColor& color) {
    btnColorFace_ = color;
    update();
}

void TUiSwitch::SetBtnColorHighlight(const QColor& color) {
    btnColorHighlight_ = color;
    update();
}

void TUiSwitch::SetBtnColorShadow(const QColor& color) {
    btnColorShadow_ = color;
    update();
}

void TUiSwitch::SetBtnBevelWidth(int pixels) {
    btnBevelWidth_ = std::max(0, pixels);
    update();
}
