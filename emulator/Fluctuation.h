#pragma once

#include <cstdint>
#include <functional>

// The slowly wandering deviation of reported speed and fuel flow: two bounded random
// walks in whole percent, stepped by Timer4 while the trip check runs.
class Fluctuation {
public:
    using SeedSource = std::function<std::uint32_t()>;

    // The default seed source reads the low 32 bits of a high-resolution counter.
    Fluctuation();
    explicit Fluctuation(SeedSource seedSource);

    // Set once at start-up from the stored settings.
    void Configure(bool enabled, std::uint8_t percent);
    bool FluctuationEnabled() const { return enabled_; }
    std::uint8_t FluctuationPercent() const { return percent_; }

    int SpeedDeviationPercent() const { return speedDeviation_; }
    int FuelDeviationPercent() const { return fuelDeviation_; }

    // A trip check start sets both deviations to 0.
    void ResetDeviations();

    // One 100 ms step of both walks; does nothing unless the trip check runs.
    void Timer4Timer(bool tripCheckRunning);

    // The speed and fuel flow as reported: V + R(V × dev / 100) and Q + Q × dev / 100,
    // unchanged when fluctuation is off.
    long long DeviatedSpeed(long long v) const;
    double DeviatedFuel(double q) const;

private:
    std::uint32_t Draw(std::uint32_t n);
    void Walk(int& deviation, std::uint32_t r) const;

    SeedSource seedSource_;
    std::uint32_t seed_ = 0;
    bool enabled_ = false;
    std::uint8_t percent_ = 5;
    int speedDeviation_ = 0;
    int fuelDeviation_ = 0;
};
