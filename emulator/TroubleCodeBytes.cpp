#include "emulator/TroubleCodeBytes.h"

#include "common/HexDigit.h"
#include "emulator/ConversionError.h"

std::array<std::uint8_t, 2> TroubleCodeBytes(const std::string& item) {
    int digits[4] = {-1, -1, -1, -1};
    for (std::size_t i = 0; i < 4 && i < item.size(); ++i) {
        digits[i] = HexDigitValue(item[i]);
    }
    for (const int digit : digits) {
        if (digit < 0) {
            throw ConversionError("'" + item.substr(0, 4) + "' is not a valid integer value");
        }
    }
    return {static_cast<std::uint8_t>(digits[0] << 4 | digits[1]), static_cast<std::uint8_t>(digits[2] << 4 | digits[3])};
}
