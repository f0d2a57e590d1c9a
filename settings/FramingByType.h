#pragma once

#include "protocol/PerVariant.h"
#include "protocol/ReplyFraming.h"

// The reply framing chosen for each controller type; compact for all six unless set.
using FramingByType = PerVariant<ReplyFraming>;
