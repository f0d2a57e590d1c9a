#pragma once

#include <string>

// A USB serial adapter's latency timer as sysfs shows it: where the attribute is and what it
// holds. The device is found by its kernel name with links such as /dev/serial/by-id/…
// followed, so the port's tuning and the monitor's report read the same attribute.
class LatencyTimer {
public:
    // sysfsRoot stands in for /sys in tests.
    explicit LatencyTimer(std::string sysfsRoot = "/sys");

    // The device a path leads to with every link followed (e.g. /dev/ttyUSB0); the path itself
    // when it leads nowhere.
    static std::string DeviceBehind(const std::string& path);

    // The attribute of the device at path (under class/tty by its kernel name); the file need
    // not exist.
    std::string AttributePath(const std::string& path) const;

    // The timer in milliseconds; -1 when there is no attribute or it holds no whole number.
    int ReadMs(const std::string& path) const;

private:
    std::string sysfsRoot_;
};
