#include "protocol/ObdPids.h"

#include <algorithm>



const std::vector<ObdPid>& ObdCurrentDataPids() {
    using K = ObdPidKind;
    static const std::vector<ObdPid> pids = {
        {0x00, 4, K::Supported, "PIDs supported 01-20", "", 1, 0},
        {0x01, 4, K::MonitorStatus, "monitor status", "", 1, 0},
        {0x03, 2, K::FuelSystem, "fuel system status", "", 1, 0},
        {0x05, 1, K::Number, "coolant temperature", "°C", 1, 40},
        {0x0C, 2, K::Number, "engine speed", "rpm", 4, 0},
        {0x0D, 1, K::Number, "vehicle speed", "km/h", 1, 0},
        {0x10, 2, K::Number, "air flow", "g/s", 100, 0},
        {0x11, 1, K::Number, "throttle position", "%", 2.55, 0},
        {0x1C, 1, K::Standard, "OBD standard", "", 1, 0},
        {0x1F, 2, K::Number, "run time since engine start", "s", 1, 0},
        {0x20, 4, K::Supported, "PIDs supported 21-40", "", 1, 0},
        {0x40, 4, K::Supported, "PIDs supported 41-60", "", 1, 0},
        {0x42, 2, K::Number, "control module voltage", "V", 1000, 0},
        {0x5E, 2, K::Number, "engine fuel rate", "l/h", 20, 0},
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
