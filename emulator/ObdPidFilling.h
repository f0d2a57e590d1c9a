#pragma once

#include <cstdint>
#include <optional>

#include "emulator/EcuEnvironment.h"
#include "emulator/LiveValues.h"

// What a PID's filling reads, at the moment of the request.
struct ObdInputs {
    const LiveValues& values;
    const EcuEnvironment& env;
};

// A mode 01 PID's field as an unsigned number, high byte first, already clamped to its
// size; nothing for the bit maps (they come from the PID table) and unsupported PIDs.
std::optional<std::uint32_t> FillObdPid(std::uint8_t pid, const ObdInputs& in);
