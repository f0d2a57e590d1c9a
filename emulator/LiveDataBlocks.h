#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "emulator/EcuVariant.h"
#include "emulator/FieldEncoding.h"
#include "emulator/LiveValues.h"

// The blocks of local identifiers 01, 02 and 03 as data: each a run of fixed bytes and
// fields, in the order they go out.
using FixedRun = std::vector<std::uint8_t>;
using BlockPiece = std::variant<FixedRun, Field>;
using BlockLayout = std::vector<BlockPiece>;

// The layout a controller type answers with, or nullptr when it has none for that local
// identifier.
const BlockLayout* LiveDataLayout(std::uint8_t localIdentifier, EcuVariant variant);

// Builds the block now, each field read from the console as it is appended.
std::vector<std::uint8_t> BuildLiveDataBlock(const BlockLayout& layout, const LiveValues& values);
