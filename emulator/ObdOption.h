#pragma once

#include "protocol/PerVariant.h"

// Which controller types answer the generic OBD-II services (and functional requests to
// 0x33) besides their own. Off for every type until the console says otherwise.
using ObdOption = PerVariant<bool>;
