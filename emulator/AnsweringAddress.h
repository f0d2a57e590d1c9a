#pragma once

#include <cstdint>

#include "protocol/EcuVariant.h"

// The physical addresses the emulated engine controller answers at.
constexpr std::uint8_t kEngineAddress = 0x10;
constexpr std::uint8_t kSecondEngineAddress = 0x11;

// The service branch that answers a request; each address has its own set of services.
enum class ServiceBranch {
    None,  // the selected controller type does not answer at this address
    At10,
    At11,
};

// Which branch of the selected controller type answers a request to `target`. The one place
// that says which type answers where: every type but MP7.0 at 0x10, MP7.0 and M7.9.7 at 0x11.
ServiceBranch BranchAt(std::uint8_t target, EcuVariant variant);
