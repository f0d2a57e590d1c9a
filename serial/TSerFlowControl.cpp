#include "serial/TSerFlowControl.h"

void TSerFlowControl::Assign(const TSerFlowControl& source) {
    CheckChange();
    BeginUpdate();
    outCtsFlow_ = source.outCtsFlow_;
    outDsrFlow_ = source.outDsrFlow_;
    controlDtr_ = source.controlDtr_;
    controlRts_ = source.controlRts_;
    xonXoffOut_ = source.xonXoffOut_;
    xonXoffIn_ = source.xonXoffIn_;
    dsrSensitivity_ = source.dsrSensitivity_;
    txContinueOnXoff_ = source.txContinueOnXoff_;
    EndUpdate();
}
