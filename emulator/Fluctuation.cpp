#include "emulator/Fluctuation.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "common/MonotonicClock.h"
#include "emulator/Rounding.h"

namespace {
std::uint32_t HighResolutionCounter() {
    return static_cast<std::uint32_t>(MonotonicNs());
}
}  // namespace

Fluctuation::Fluctuation() : Fluctuation(HighResolutionCounter) {}

Fluctuation::Fluctuation(SeedSource seedSource)
    : seedSource_(seedSource ? std::move(seedSource) : SeedSource(HighResolutionCounter)) {}

void Fluctuation::Configure(bool enabled, std::uint8_t percent) {
    enabled_ = enabled;
    percent_ = percent;
}

void Fluctuation::ResetDeviations() {
    speedDeviation_ = 0;
    fuelDeviation_ = 0;
}

std::uint32_t Fluctuation::Draw(std::uint32_t n) {
    // Linear congruential: seed := seed × 134775813 + 1, draw = high half of n × seed.
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(n) * seed_) >> 32);
}

void Fluctuation::Walk(int& deviation, std::uint32_t r) const {
    if (r > 60) {
        ++deviation;
    } else if (r < 40) {
        --deviation;
    }
    const int bound = percent_;
    if (std::abs(deviation) > bound) {
        deviation = deviation > 0 ? bound : -bound;
    }
}

void Fluctuation::Timer4Timer(bool tripCheckRunning) {
    if (!tripCheckRunning) {
        return;
    }
    seed_ = seedSource_();
    Walk(speedDeviation_, Draw(100));
    Walk(fuelDeviation_, Draw(100));
}

long long Fluctuation::DeviatedSpeed(long long v) const {
    if (!enabled_) {
        return v;
    }
    long long product = 0;
    long long sum = 0;
    if (!__builtin_mul_overflow(v, static_cast<long long>(speedDeviation_), &product) &&
        !__builtin_add_overflow(v, RoundHalfEven(static_cast<double>(product) / 100.0), &sum)) {
        return sum;
    }
    // Only a speed far beyond any mirror's range gets here: work in long double and
    // saturate instead of overflowing.
    const long double wide = static_cast<long double>(v);
    const long double exact = wide + std::nearbyint(wide * speedDeviation_ / 100.0L);
    constexpr long double kLimit = static_cast<long double>(std::numeric_limits<long long>::max());
    if (exact >= kLimit) {
        return std::numeric_limits<long long>::max();
    }
    if (exact <= -kLimit) {
        return std::numeric_limits<long long>::min();
    }
    return static_cast<long long>(exact);
}

double Fluctuation::DeviatedFuel(double q) const {
    if (!enabled_) {
        return q;
    }
    return q + q * fuelDeviation_ / 100.0;
}
