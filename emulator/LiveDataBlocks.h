#pragma once

#include <cstdint>
#include <vector>

#include "emulator/LiveValues.h"
#include "protocol/LiveBlockLayout.h"

// Builds the block now, each field read from the console as it is appended.
std::vector<std::uint8_t> BuildLiveDataBlock(const BlockLayout& layout, const LiveValues& values);
