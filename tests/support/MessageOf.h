#pragma once

#include <exception>
#include <functional>
#include <string>

// The message of the error of that kind an action raises; an error of another kind goes on.
template <typename Error = std::exception>
std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "(nothing raised)";
}
