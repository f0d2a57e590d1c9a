#pragma once

#include <cstdint>

class TSerCustomComm;

// A consumer linked to a port (a terminal view, a trace). While one is linked and the port
// passes data to its links, received characters are read by the port and given to each
// enabled link and then to OnRxBuf, instead of OnRxChar; line events reach the links too.
// Called on the port's owning thread.
class TSerLink {
public:
    virtual ~TSerLink() = default;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }

    virtual void LinkRxBuf(TSerCustomComm* sender, const void* data, int count) = 0;
    virtual void LinkEvents(TSerCustomComm* sender, std::uint32_t mask) = 0;

private:
    bool enabled_ = true;
};
