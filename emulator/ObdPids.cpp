#include "emulator/ObdPids.h"

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

const std::vector<ObdPid>& ObdCurrentDataPids() {
    using K = ObdPidKind;
    static const std::vector<ObdPid> pids = {
        {0x00, 4, K::Supported, "PIDs supported 01-20", "", 1, 0, nullptr},
        {0x01, 4, K::MonitorStatus, "monitor status", "", 1, 0, MonitorStatus},
        {0x03, 2, K::FuelSystem, "fuel system status", "", 1, 0, FuelSystem},
        {0x05, 1, K::Number, "coolant temperature", "°C", 1, 40, Coolant},
        {0x0C, 2, K::Number, "engine speed", "rpm", 4, 0, EngineSpeed},
        {0x0D, 1, K::Number, "vehicle speed", "km/h", 1, 0, VehicleSpeed},
        {0x10, 2, K::Number, "air flow", "g/s", 100, 0, AirFlow},
        {0x11, 1, K::Number, "throttle position", "%", 2.55, 0, Throttle},
        {0x1C, 1, K::Standard, "OBD standard", "", 1, 0, Standard},
        {0x1F, 2, K::Number, "run time since engine start", "s", 1, 0, RunTime},
        {0x20, 4, K::Supported, "PIDs supported 21-40", "", 1, 0, nullptr},
        {0x40, 4, K::Supported, "PIDs supported 41-60", "", 1, 0, nullptr},
        {0x42, 2, K::Number, "control module voltage", "V", 1000, 0, Voltage},
        {0x5E, 2, K::Number, "engine fuel rate", "l/h", 20, 0, FuelRate},
    };
    return pids;
}

const ObdPid* FindObdPid(std::uint8_t pid) {
    for (const ObdPid& entry : ObdCurrentDataPids()) {
        if (entry.pid == pid) {
            return &entry;
        }
    }
    return nullptr;
}

std::array<std::uint8_t, 4> ObdSupportedPids(std::uint8_t base) {
    std::array<std::uint8_t, 4> map{};
    for (const ObdPid& entry : ObdCurrentDataPids()) {
        const int offset = entry.pid - base - 1;  // 0 for base + 1
        if (offset >= 0 && offset < 32) {
            map[static_cast<std::size_t>(offset / 8)] |= static_cast<std::uint8_t>(0x80u >> (offset % 8));
        }
    }
    return map;
}

double ObdPidValue(const ObdPid& pid, std::uint32_t raw) {
    return static_cast<double>(raw) / pid.scale - pid.offset;
}
