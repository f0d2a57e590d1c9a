#pragma once

#include "emulator/Rounding.h"

// Fuel consumption per 100 km from the speed and fuel flow controls: the speed counts in
// whole km/h, and a speed that rounds to 0 gives 0 rather than a division by zero.
inline double ConsumptionPer100Km(double speedKmh, double fuelFlowLh) {
    const long long s = RoundHalfEven(speedKmh);
    return s != 0 ? fuelFlowLh / static_cast<double>(s) * 100.0 : 0.0;
}
