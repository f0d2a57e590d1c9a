#pragma once

#include "serial/SerTypes.h"
#include "serial/TSerPersistent.h"

// Handshake settings of the line; every change is written to the open device at once.
class TSerFlowControl : public TSerPersistent {
public:
    bool OutCtsFlow() const { return outCtsFlow_; }
    bool OutDsrFlow() const { return outDsrFlow_; }
    TSerDtrControl ControlDtr() const { return controlDtr_; }
    TSerRtsControl ControlRts() const { return controlRts_; }
    bool XonXoffOut() const { return xonXoffOut_; }
    bool XonXoffIn() const { return xonXoffIn_; }
    bool DsrSensitivity() const { return dsrSensitivity_; }
    bool TxContinueOnXoff() const { return txContinueOnXoff_; }

    void SetOutCtsFlow(bool value) { Store(outCtsFlow_, value); }
    void SetOutDsrFlow(bool value) { Store(outDsrFlow_, value); }
    void SetControlDtr(TSerDtrControl value) { Store(controlDtr_, value); }
    void SetControlRts(TSerRtsControl value) { Store(controlRts_, value); }
    void SetXonXoffOut(bool value) { Store(xonXoffOut_, value); }
    void SetXonXoffIn(bool value) { Store(xonXoffIn_, value); }
    void SetDsrSensitivity(bool value) { Store(dsrSensitivity_, value); }
    void SetTxContinueOnXoff(bool value) { Store(txContinueOnXoff_, value); }

    void Assign(const TSerFlowControl& source);

private:
    template <typename T>
    void Store(T& field, T value) {
        if (field == value) return;
        StoreApplied(field, value);
    }

    bool outCtsFlow_ = false;
    bool outDsrFlow_ = false;
    TSerDtrControl controlDtr_ = dtrDisabled;
    TSerRtsControl controlRts_ = rtsDisabled;
    bool xonXoffOut_ = false;
    bool xonXoffIn_ = false;
    bool dsrSensitivity_ = false;
    bool txContinueOnXoff_ = false;
};
