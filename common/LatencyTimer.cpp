#include "common/LatencyTimer.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

LatencyTimer::LatencyTimer(std::string sysfsRoot) : sysfsRoot_(std::move(sysfsRoot)) {}

std::string LatencyTimer::DeviceBehind(const std::string& path) {
    char resolved[PATH_MAX] = {};
    return ::realpath(path.c_str(), resolved) != nullptr ? resolved : path;
}

std::string LatencyTimer::AttributePath(const std::string& path) const {
    const std::string device = DeviceBehind(path);
    const std::string name = device.substr(device.find_last_of('/') + 1);
    return sysfsRoot_ + "/class/tty/" + name + "/device/latency_timer";
}

int LatencyTimer::ReadMs(const std::string& path) const {
    const int fd = ::open(AttributePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return -1;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || (*end != '\0' && *end != '\n') || value < 0 || value > INT_MAX) return -1;
    return static_cast<int>(value);
}
