#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "emulator/EcuEnvironment.h"
#include "protocol/FrameForm.h"
#include "emulator/Fluctuation.h"

// Request data buffer: position 0 is the service identifier. Never cleared, so positions
// beyond the current request keep the bytes of earlier requests.
using RequestBuffer = std::array<std::uint8_t, 1024>;

// Where a service handler sends its reply.
class ReplySender {
public:
    virtual ~ReplySender() = default;
    // Reply data as text of two-digit hex values (blanks ignored), framed back to the sender.
    virtual void SendHexResponse(const std::string& payload, FrameForm form) = 0;
    // Reply data already in bytes, framed the same way.
    virtual void SendBytes(const std::uint8_t* data, std::size_t n, FrameForm form) = 0;
};

// What one service handler sees of the current request and its surroundings.
struct ServiceContext {
    const RequestBuffer& RequestData;
    std::uint8_t RequestTarget;
    std::uint8_t RequestSource;
    EcuEnvironment& env;
    const Fluctuation& fluctuation;
    ReplySender& reply;
};

// A service handler checks its own request conditions and answers at most once.
using ServiceHandler = void (*)(ServiceContext&);
