#pragma once

#include <cstdint>

// One point of the scripted drive: what the speed dial and the fuel slider are set to.
struct CurvePoint {
    float speedKmh;
    float fuelFlowLh;
};

// The scripted speed and fuel-flow curve: 700 ticks of 100 ms (70 s) that accelerate in
// steps to 60 km/h, cruise, slow down, stand idling, and start again.
class SpeedCurve {
public:
    static constexpr std::uint16_t kCycleTicks = 700;

    void Reset() { tick_ = 0; }
    std::uint16_t CurveTick() const { return tick_; }

    // Advances by one tick and gives the point for the new position; the last point of a
    // cycle sets the position back to 0.
    CurvePoint Step();

    // The point for a position 1..700.
    static CurvePoint PointAt(std::uint16_t tick);

private:
    std::uint16_t tick_ = 0;
};
