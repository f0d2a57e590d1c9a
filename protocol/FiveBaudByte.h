#pragma once

#include <cstdint>
#include <vector>

// A byte sent at 5 baud, as a tester sends a controller's address to wake it: ten slots of
// 200 ms (start bit, eight data bits from the lowest, stop bit), 2 s in all. The line idles
// high; a 0 bit holds it low.
constexpr int kFiveBaudBitMs = 200;
constexpr int kFiveBaudSlots = 10;
constexpr int kFiveBaudByteMs = kFiveBaudBitMs * kFiveBaudSlots;

// Whether the line is held low in `slot` (0: the start bit, 9: the stop bit).
bool FiveBaudSlotLow(std::uint8_t byte, int slot);

// The moments, from the start bit on, at which the line falls: a 10400-baud receiver reads a
// zero byte (a break) at each. 0x33: 0, 600 and 1400 ms.
std::vector<int> FiveBaudFallingEdgesMs(std::uint8_t byte);
