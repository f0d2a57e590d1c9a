#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/EcuVariant.h"
#include "protocol/LiveBlockLayout.h"

// One value read back out of a live-data block.
struct DecodedValue {
    std::string name;  // as the control interface names the value: speed, rpm, voltage, ...
    double value;
    std::string unit;
    double step;       // what one count of the field is worth
};

// Reads a 21 01 block (its data bytes, starting with 61 01) of a controller type back into
// named values, by walking the same layout table that the emulator builds the block from.
class LiveBlockDecoder {
public:
    struct Result {
        std::vector<DecodedValue> values;
        std::string error;  // empty when the block fits the layout
    };

    static Result Decode(EcuVariant variant, const std::uint8_t* data, std::size_t length);

    // How many bytes a field takes in the block.
    static int FieldSize(Field field);
};
