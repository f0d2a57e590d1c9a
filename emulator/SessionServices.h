#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "protocol/EcuVariant.h"
#include "emulator/ResponseFramer.h"
#include "emulator/ServiceContext.h"

// What a session service sees: the request as every service sees it, the framer for the
// one-byte and fixed replies, and the communication flag that StartCommunication sets.
struct SessionContext {
    ServiceContext& service;
    ResponseFramer& framer;
    bool& CommunicationActive;
};

// Each service checks its own service identifier and answers at most once.

// 81: the fixed key-byte frame of the selected controller type at the address it serves
// StartCommunication at; sets CommunicationActive.
void StartCommunication(SessionContext& ctx);
// The two key bytes of that StartCommunication reply at `target` (C1 and the next two bytes:
// 6B 8F, for M7.9.7 at 0x10 EF 8F); nullopt where the type does not answer at `target`. A slow
// init at the type's own address sends the same two.
std::optional<std::array<std::uint8_t, 2>> StartCommunicationKeyBytes(std::uint8_t target, EcuVariant variant);
// 82 at any address, with or without communication: C2. Leaves communication active.
void StopCommunication(SessionContext& ctx);

// 83: the six request bytes after the service identifier echoed behind C3 for the
// types that accept new timing, otherwise refused.
void AccessTimingParametersAt10(SessionContext& ctx);
void AccessTimingParametersAt11(SessionContext& ctx);

// 10: 50 81, fixed at 0x10, framed back to the tester at 0x11.
void StartDiagnosticSessionAt10(SessionContext& ctx);
void StartDiagnosticSessionAt11(SessionContext& ctx);

// 3E, any parameter: 7E.
void TesterPresent(SessionContext& ctx);
