#pragma once

#include "serial/TSerCustomComm.h"

// The port as the main window holds it: every property of TSerCustomComm, published.
class TSerComm : public TSerCustomComm {
public:
    using TSerCustomComm::TSerCustomComm;
};
