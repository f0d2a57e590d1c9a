#pragma once

#include <string>

#include "emulator/EcuEnvironment.h"

// Reads the mirror texts back as numbers, in the number format the console wrote them
// with. Integer mirrors are plain decimal with an optional sign; decimal mirrors may carry
// the locale's group separators ("2 000,0" with a no-break space in a Russian locale).
// A text that does not convert throws ConversionError.
class MirrorNumber {
public:
    explicit MirrorNumber(NumberFormat format);

    int Integer(const std::string& text) const;
    double Float(const std::string& text) const;

private:
    NumberFormat format_;
};
