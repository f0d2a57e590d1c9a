#include "driveview/SpeedCurve.h"

#include <array>

namespace {

struct Segment {
    std::uint16_t firstTick;
    CurvePoint point;
};

// Each segment runs from its first tick to the next segment's first tick.
constexpr std::array<Segment, 12> kSegments{{
    {1, {5.0f, 20.0f}},
    {10, {10.0f, 20.0f}},
    {20, {20.0f, 20.0f}},
    {30, {35.0f, 20.0f}},
    {40, {40.0f, 20.0f}},
    {50, {45.0f, 20.0f}},
    {60, {55.0f, 20.0f}},
    {70, {60.0f, 20.0f}},
    {80, {60.0f, 8.0f}},
    {600, {30.0f, 0.0f}},
    {610, {0.0f, 0.0f}},
    {620, {0.0f, 0.8f}},
}};

}  // namespace

CurvePoint SpeedCurve::PointAt(std::uint16_t tick) {
    CurvePoint point = kSegments.front().point;
    for (const Segment& s : kSegments) {
        if (tick >= s.firstTick) {
            point = s.point;
        }
    }
    return point;
}

CurvePoint SpeedCurve::Step() {
    ++tick_;
    const CurvePoint point = PointAt(tick_);
    if (tick_ >= kCycleTicks) {
        tick_ = 0;
    }
    return point;
}
