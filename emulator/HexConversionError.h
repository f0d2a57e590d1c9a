#pragma once

#include <stdexcept>
#include <string>

// A reply text holding a pair that is not two hexadecimal digits. The reply is abandoned
// and the error goes on to the application's error report, which shows what() as is.
class HexConversionError : public std::runtime_error {
public:
    explicit HexConversionError(const std::string& pair)
        : std::runtime_error("'" + pair + "' is not a valid hexadecimal value") {}
};
