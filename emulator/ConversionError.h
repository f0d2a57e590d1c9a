#pragma once

#include <stdexcept>

// A console text that does not read as the number it should be. The reply being built
// is abandoned and the error goes up to the application's error report.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
