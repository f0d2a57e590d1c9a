#include "console/EngineRunClock.h"

#include <utility>

#include "widgets/TUiBinGControl.h"

EngineRunClock::EngineRunClock(TUiBinGControl* engineButton, Clock clock, QObject* parent)
    : QObject(parent), button_(engineButton), clock_(std::move(clock)) {
    connect(button_, &TUiBinGControl::OnStatusChanged, this, &EngineRunClock::ButtonChanged);
    ButtonChanged();
}

void EngineRunClock::ButtonChanged() {
    if (!button_->Checked()) {
        startedMs_.reset();
    } else if (!startedMs_) {
        startedMs_ = clock_();
    }
}

std::optional<std::chrono::milliseconds> EngineRunClock::RunTime() const {
    if (!startedMs_) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(clock_() - *startedMs_);
}
