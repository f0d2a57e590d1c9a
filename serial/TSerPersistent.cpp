#include "serial/TSerPersistent.h"

void TSerPersistent::EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
    Changed();
}

void TSerPersistent::CheckChange() const {
    if (guard_) guard_();
}

void TSerPersistent::Changed() {
    if (updateCount_ == 0 && onChange_) onChange_();
}
