#pragma once

#include <stdexcept>
#include <string>

// The one exception the serial port component raises; Code() keeps the system error code (0 if none).
class ESerCommError : public std::runtime_error {
public:
    explicit ESerCommError(const std::string& message, int code = 0)
        : std::runtime_error(message), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};
