#include "serial/LowLatencyAdapter.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The driver's low-latency flag: received bytes are pushed on at once.
void AskForLowLatency(int fd) {
    serial_struct serial{};
    // Pseudo-terminals and most non-UART devices refuse: nothing to ask of them.
    if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &serial) != 0) return;
    if ((serial.flags & ASYNC_LOW_LATENCY) != 0) return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serial);
}

// The whole number a sysfs attribute holds, or -1.
int ReadNumber(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
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

// 0, or the error that refused the write.
int WriteNumber(const std::string& file, int value) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    const std::string text = std::to_string(value) + "\n";
    const ssize_t n = ::write(fd, text.data(), text.size());
    const int error = n == static_cast<ssize_t>(text.size()) ? 0 : (n < 0 ? errno : EIO);
    ::close(fd);
    return error;
}

}  // namespace

std::string LowLatencyAdapter::LatencyTimerPath(const std::string& path) const {
    // /dev/serial/by-id/… and other links lead to the kernel's own name, e.g. /dev/ttyUSB0.
    char resolved[PATH_MAX] = {};
    const std::string device = ::realpath(path.c_str(), resolved) != nullptr ? resolved : path;
    const std::string name = device.substr(device.find_last_of('/') + 1);
    return sysfsRoot_ + "/class/tty/" + name + "/device/latency_timer";
}

std::string LowLatencyAdapter::Tune(int fd, const std::string& path) const {
    AskForLowLatency(fd);
    const std::string timer = LatencyTimerPath(path);
    const int ms = ReadNumber(timer);
    if (ms <= kWantedTimerMs) return {};
    const int error = WriteNumber(timer, kWantedTimerMs);
    if (error == 0) return {};
    return "The adapter at " + path + " holds received bytes for up to " + std::to_string(ms) +
           " ms (its latency timer), which delays every reply, and it may not be changed here (" +
           std::strerror(error) + "). Set it to 1 ms: echo 1 | sudo tee " + timer +
           " (to keep it, see \"Adapters and timing\" in the README for a udev rule).";
}
