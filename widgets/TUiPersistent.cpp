#include "widgets/TUiPersistent.h"

void TUiPersistent::Changed() {
    Recompute();
    if (onChange_) {
        onChange_();
    }
}
