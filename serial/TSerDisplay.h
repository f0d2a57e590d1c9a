#pragma once

#include <cstdint>

class TSerCustomComm;

// A status display linked to a port: told of each batch of line events before the handlers
// run, on the port's owning thread. Unlink it (SetDisplay(nullptr)) before destroying it.
class TSerDisplay {
public:
    virtual ~TSerDisplay() = default;
    virtual void DisplayEvents(TSerCustomComm* sender, std::uint32_t mask) = 0;
};
