#include "emulator/ObdPidFilling.h"

#include <algorithm>

#include "emulator/FieldEncoding.h"

namespace {

constexpr std::uint8_t kClosedLoop = 0x02;
constexpr std::uint8_t kEobd = 0x06;
constexpr int kMaxCodeCount = 0x7F;
constexpr std::uint32_t kMilOn = 0x80;
constexpr std::uint32_t kMaxWord = 0xFFFF;

std::uint32_t MonitorStatus(const ObdInputs& in) {
    const int count = std::min(in.values.TroubleCount(), kMaxCodeCount);
    const std::uint32_t a = (count > 0 ? kMilOn : 0u) | static_cast<std::uint32_t>(count);
    return a << 24;
}

std::uint32_t FuelSystem(const ObdInputs& in) {
    return static_cast<std::uint32_t>(in.env.EngineRunTime() ? kClosedLoop : 0) << 8;
}

std::uint32_t Coolant(const ObdInputs& in) {
    return ClampedByte(static_cast<double>(in.values.Coolant()) + 40.0);
}

std::uint32_t EngineSpeed(const ObdInputs& in) {
    return ClampedWord(static_cast<double>(in.values.EngineSpeed()) * 4.0);
}

std::uint32_t VehicleSpeed(const ObdInputs& in) {
    return ClampedByte(static_cast<double>(in.values.Speed()));
}

// The mirror holds kg/h; the field carries g/s × 100.
std::uint32_t AirFlow(const ObdInputs& in) {
    return ClampedWord(in.values.AirFlow() * 1000.0 / 3600.0 * 100.0);
}

std::uint32_t Throttle(const ObdInputs& in) {
    return ClampedByte(in.values.Throttle() * 255.0 / 100.0);
}

std::uint32_t Standard(const ObdInputs&) {
    return kEobd;
}

std::uint32_t RunTime(const ObdInputs& in) {
    const auto run = in.env.EngineRunTime();
    if (!run || run->count() <= 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(std::min<long long>(run->count() / 1000, kMaxWord));
}

std::uint32_t Voltage(const ObdInputs& in) {
    return ClampedWord(in.values.Voltage() * 1000.0);
}

std::uint32_t FuelRate(const ObdInputs& in) {
    return ClampedWord(in.values.Fuel() * 20.0);
}

}  // namespace

std::optional<std::uint32_t> FillObdPid(std::uint8_t pid, const ObdInputs& in) {
    switch (pid) {
        case 0x01: return MonitorStatus(in);
        case 0x03: return FuelSystem(in);
        case 0x05: return Coolant(in);
        case 0x0C: return EngineSpeed(in);
        case 0x0D: return VehicleSpeed(in);
        case 0x10: return AirFlow(in);
        case 0x11: return Throttle(in);
        case 0x1C: return Standard(in);
        case 0x1F: return RunTime(in);
        case 0x42: return Voltage(in);
        case 0x5E: return FuelRate(in);
        default: return std::nullopt;
    }
}
