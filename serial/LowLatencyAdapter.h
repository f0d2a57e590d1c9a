#pragma once

#include <string>
#include <utility>

// A USB serial adapter holds received bytes back for a while before it hands them on (an FTDI
// chip up to 16 ms by default, its latency timer): most of the time a controller has to answer
// in. On opening a real serial device the port asks the driver for low latency and lowers the
// adapter's latency timer to 1 ms where sysfs offers it. Devices that offer neither, and
// pseudo-terminals (which refuse the serial ioctls), are left as they are without a word.
class LowLatencyAdapter {
public:
    static constexpr int kWantedTimerMs = 1;

    // sysfsRoot stands in for /sys in tests.
    explicit LowLatencyAdapter(std::string sysfsRoot = "/sys") : sysfsRoot_(std::move(sysfsRoot)) {}

    // fd: the device opened at path. Returns what the operator must be told (a latency timer
    // above 1 ms that may not be lowered: its value and how to change it), or nothing.
    std::string Tune(int fd, const std::string& path) const;

    // The sysfs attribute of the device at path (its kernel name under class/tty); the file
    // need not exist.
    std::string LatencyTimerPath(const std::string& path) const;

private:
    std::string sysfsRoot_;
};
