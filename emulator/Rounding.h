#pragma once

#include <cmath>

// Every rounding of a parameter value goes to the nearest integer with halves to the even
// neighbour (22.5 gives 22, 23.5 gives 24): the processor's default rounding mode.
inline long long RoundHalfEven(double x) {
    return std::llrint(x);
}
