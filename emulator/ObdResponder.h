#pragma once

#include <cstddef>
#include <cstdint>

#include "emulator/Dispatcher.h"
#include "emulator/EcuEnvironment.h"
#include "emulator/Fluctuation.h"
#include "protocol/KwpFrame.h"
#include "emulator/ObdOption.h"
#include "emulator/ResponseFramer.h"
#include "emulator/ServiceContext.h"

// Answers the generic OBD-II requests for the controller types whose option is on: the
// session at the functional address 0x33 and the OBD services there and at the type's
// own physical address. The manufacturer services stay with the dispatcher; this shares
// its communication state.
class ObdResponder {
public:
    ObdResponder(EcuEnvironment& env, const Fluctuation& fluctuation, ResponseFramer& framer, Dispatcher& dispatcher)
        : env_(env), fluctuation_(fluctuation), framer_(framer), dispatcher_(dispatcher) {}

    ObdOption& Option() { return option_; }
    // Whether the selected controller type answers OBD-II now.
    bool Enabled() const { return option_.For(env_.Variant()); }

    // A frame with functional addressing, its `length` data bytes at the start of
    // `requestData`. Only frames to 0x33 are answered: StartCommunication, TesterPresent
    // and StopCommunication as at the type's physical address (StopCommunication ends
    // communication here), and the OBD services once communication is active. Tells
    // whether the frame was addressed to 0x33.
    bool Functional(const RequestBuffer& requestData, std::size_t length, std::uint8_t target, std::uint8_t source);

    // A frame with physical addressing, after the dispatcher has had it: the OBD services
    // at an address the selected type answers at, once communication is active.
    void Physical(const RequestBuffer& requestData, std::size_t length, std::uint8_t target, std::uint8_t source);

    // A request on a link opened as ISO 9141-2: the OBD services, once communication is active.
    void Iso9141(const RequestBuffer& requestData, std::size_t length);

    // The address OBD replies to 0x33 come from: the type's physical address, 0x10 where
    // the type answers there (so for M7.9.7 too), else 0x11.
    static std::uint8_t ReplyAddress(EcuVariant variant);

private:
    void Services(const RequestBuffer& requestData, std::size_t length);

    EcuEnvironment& env_;
    const Fluctuation& fluctuation_;
    ResponseFramer& framer_;
    Dispatcher& dispatcher_;
    ObdOption option_;
};
