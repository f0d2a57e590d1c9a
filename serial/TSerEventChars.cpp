#include "serial/TSerEventChars.h"

void TSerEventChars::Assign(const TSerEventChars& source) {
    CheckChange();
    BeginUpdate();
    xonChar_ = source.xonChar_;
    xoffChar_ = source.xoffChar_;
    errorChar_ = source.errorChar_;
    eventChar_ = source.eventChar_;
    eofChar_ = source.eofChar_;
    EndUpdate();
}
