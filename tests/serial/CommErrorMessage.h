#pragma once

#include "serial/ESerCommError.h"

#include <functional>
#include <string>

// The message of the port error an action raises.
inline std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ESerCommError& error) {
        return error.what();
    }
    return "(nothing raised)";
}
