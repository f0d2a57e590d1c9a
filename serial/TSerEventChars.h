#pragma once

#include "serial/TSerPersistent.h"

#include <cstdint>

// Special characters of the line; every change is written to the open device at once,
// even when the value is the one already held.
class TSerEventChars : public TSerPersistent {
public:
    std::uint8_t XonChar() const { return xonChar_; }
    std::uint8_t XoffChar() const { return xoffChar_; }
    std::uint8_t ErrorChar() const { return errorChar_; }
    std::uint8_t EventChar() const { return eventChar_; }
    std::uint8_t EofChar() const { return eofChar_; }

    void SetXonChar(std::uint8_t value) { Store(xonChar_, value); }
    void SetXoffChar(std::uint8_t value) { Store(xoffChar_, value); }
    void SetErrorChar(std::uint8_t value) { Store(errorChar_, value); }
    void SetEventChar(std::uint8_t value) { Store(eventChar_, value); }
    void SetEofChar(std::uint8_t value) { Store(eofChar_, value); }

    void Assign(const TSerEventChars& source);

private:
    // Event characters are written again even when unchanged.
    void Store(std::uint8_t& field, std::uint8_t value) { StoreApplied(field, value); }

    std::uint8_t xonChar_ = 0x11;
    std::uint8_t xoffChar_ = 0x13;
    std::uint8_t errorChar_ = 0;
    std::uint8_t eventChar_ = 0;
    std::uint8_t eofChar_ = 0;
};
