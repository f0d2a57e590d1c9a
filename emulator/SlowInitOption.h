#pragma once

#include "protocol/PerVariant.h"

// Which controller types answer a slow init at their own address. Off for every type until
// the console says otherwise.
using SlowInitOption = PerVariant<bool>;
