#include "protocol/FiveBaudByte.h"

bool FiveBaudSlotLow(std::uint8_t byte, int slot) {
    if (slot <= 0) {
        return slot == 0;
    }
    if (slot > 8) {
        return false;
    }
    return ((byte >> (slot - 1)) & 1) == 0;
}

std::vector<int> FiveBaudFallingEdgesMs(std::uint8_t byte) {
    std::vector<int> edges;
    for (int slot = 0; slot < kFiveBaudSlots; ++slot) {
        if (FiveBaudSlotLow(byte, slot) && !FiveBaudSlotLow(byte, slot - 1)) {
            edges.push_back(slot * kFiveBaudBitMs);
        }
    }
    return edges;
}
