#pragma once

#include <array>
#include <cstdint>

#include "emulator/LiveValues.h"
#include "protocol/LiveBlockLayout.h"



// A field encoded: one or two bytes, in the order they go out.
struct FieldBytes {
    std::array<std::uint8_t, 2> bytes{};
    int size = 0;
};

// Scales and rounds (halves to even), then clamps to the field's size.
std::uint8_t ClampedByte(double value);
std::uint16_t ClampedWord(double value);

// Reads the field's inputs now and encodes them.
FieldBytes EncodeField(Field field, const LiveValues& values);
