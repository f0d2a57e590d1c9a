#include "monitor/StampResolution.h"

#include "common/LatencyTimer.h"

namespace {

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// 10 bits a byte (start, 8 data, stop) at 10400 baud.
constexpr double kLineUsPerByte = 10 * 1e6 / 10400;

}  // namespace

StampResolution StampResolution::ForDevice(const std::string& devicePath, int latencyTimerMs) {
    const std::string name = BaseName(devicePath);
    if (StartsWith(devicePath, "/dev/pts/") || devicePath == "/dev/ptmx" || devicePath == "pty") {
        return {"pseudo-terminal", "microseconds (pseudo-terminal)", 0.001, 0};
    }
    if (StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM")) {
        const int ms = latencyTimerMs >= 0 ? latencyTimerMs : 16;
        return {"usb-adapter",
                std::to_string(ms) + " ms (USB adapter latency timer" + (latencyTimerMs >= 0 ? ")" : ", default)"),
                static_cast<double>(ms), kLineUsPerByte};
    }
    if (StartsWith(name, "ttyS") || StartsWith(name, "COM")) {
        return {"serial-port", "about 1 ms (serial port driver)", 1, kLineUsPerByte};
    }
    return {"unknown", "unknown port: stamps as the driver delivers them", 1, kLineUsPerByte};
}

StampResolution StampResolution::ForOpenedPort(const std::string& path) {
    return ForDevice(LatencyTimer::DeviceBehind(path), LatencyTimer().ReadMs(path));
}
