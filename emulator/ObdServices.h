#pragma once

#include <cstddef>
#include <cstdint>

#include "emulator/EcuEnvironment.h"
#include "emulator/Fluctuation.h"
#include "emulator/ServiceContext.h"

// The generic OBD-II services (modes 01 to 09, reserved for them in KWP2000, so no
// manufacturer service is shadowed). Every reply is one or more short frames of at most 7
// data bytes, as testers drop longer ones. A PID or mode a controller does not support is
// not answered at all.
struct ObdRequest {
    const std::uint8_t* data;  // data[0] is the mode
    std::size_t length;
    EcuEnvironment& env;
    const Fluctuation& fluctuation;
    ReplySender& reply;
};

// Each service checks its own mode and answers at most once (in as many frames as it needs).

// 01 PID: current data, one PID per request; bytes after the PID are ignored.
void ObdCurrentData(const ObdRequest& request);
// 03: the ticked codes of the trouble-code list, three to a frame.
void ObdStoredTroubleCodes(const ObdRequest& request);
// 04: clears the trouble-code list and lights the clear lamps, as 14 00 00 lights them.
void ObdClearTroubleCodes(const ObdRequest& request);
// 07: no pending codes.
void ObdPendingTroubleCodes(const ObdRequest& request);
// 09 PID: VIN and calibration ID with their message counts.
void ObdVehicleInformation(const ObdRequest& request);
