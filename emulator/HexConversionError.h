#pragma once

#include <string>

#include "emulator/ConversionError.h"

// A reply text holding a pair that is not two hexadecimal digits. The reply is abandoned
// and the error goes on to the application's error report, which shows what() as is.
class HexConversionError : public ConversionError {
public:
    explicit HexConversionError(const std::string& pair)
        : ConversionError("'" + pair + "' is not a valid hexadecimal value") {}
};
