#pragma once

#include <cstdint>

#include "emulator/EcuEnvironment.h"
#include "emulator/Fluctuation.h"
#include "emulator/ResponseFramer.h"
#include "emulator/ServiceContext.h"

// Hands a decoded request to the services: StartCommunication and StopCommunication
// always, then, once communication is active, the branch of the address the selected
// controller type serves. Requests that nothing recognises get no answer.
class Dispatcher {
public:
    Dispatcher(EcuEnvironment& env, const Fluctuation& fluctuation, ResponseFramer& framer)
        : env_(env), fluctuation_(fluctuation), framer_(framer) {}

    // Returns whether the selected controller type serves the target address at all.
    bool Dispatch(const RequestBuffer& requestData, std::uint8_t target, std::uint8_t source);

    bool CommunicationActive() const { return communicationActive_; }
    void SetCommunicationActive(bool active) { communicationActive_ = active; }

private:
    EcuEnvironment& env_;
    const Fluctuation& fluctuation_;
    ResponseFramer& framer_;
    bool communicationActive_ = false;
};
