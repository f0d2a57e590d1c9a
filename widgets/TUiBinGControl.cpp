#include "widgets/TUiBinGControl.h"

#include "widgets/BevelPainter.h"

#include <QMouseEvent>

TUiBinGControl::TUiBinGControl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFont(BevelPainter::CaptionFont());
    model_.SetHooks({[this] { StatusChanged(); }, [this] { emit OnStatusIntChanged(); },
                     [this] { return GroupPeers(); }});
}

TUiBinGControl::~TUiBinGControl() {
    if (BlinkService::Exists()) {
        BlinkService::Instance().Unregister(this);
    }
}

void TUiBinGControl::StatusChanged() {
    UpdateBlinking();
    update();
    emit OnStatusChanged();
}

void TUiBinGControl::SetFlashing(bool flashing) {
    if (flashing != flashing_) {
        flashing_ = flashing;
        UpdateBlinking();
        update();
    }
}

void TUiBinGControl::SetFrequency(TUiFrequency frequency) {
    if (frequency != frequency_) {
        frequency_ = frequency;
        if (Blinking()) {
            BlinkService::Instance().Register(this, frequency_);
        }
    }
}

void TUiBinGControl::UpdateBlinking() {
    // Each blink starts in the on phase.
    blinkOn_ = true;
    if (Blinking()) {
        BlinkService::Instance().Register(this, frequency_);
    } else if (BlinkService::Exists()) {
        BlinkService::Instance().Unregister(this);
    }
}

void TUiBinGControl::ToggleBlinkPhase() {
    blinkOn_ = !blinkOn_;
    update();
}

std::vector<BinaryStateModel*> TUiBinGControl::GroupPeers() const {
    std::vector<BinaryStateModel*> peers;
    const QWidget* owner = window();
    for (TUiBinGControl* member : owner->findChildren<TUiBinGControl*>()) {
        if (member != this) {
            peers.push_back(&member->model_);
        }
    }
    return peers;
}

void TUiBinGControl::Click() {
    model_.Press();
    model_.Release();
    update();
    emit OnClick();
}

void TUiBinGControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        model_.Press();
        update();
    }
    event->accept();
}

void TUiBinGControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !model_.Pressed()) {
        event->accept();
        return;
    }
    model_.Release();
    update();
    event->accept();
    if (rect().contains(event->position().toPoint())) {
        emit OnClick();
    }
}

void TUiBinGControl::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QWidget::enterEvent(event);
}

void TUiBinGControl::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QWidget::leaveEvent(event);
}
