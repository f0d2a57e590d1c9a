#include "serial/LowLatencyAdapter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "common/LatencyTimer.h"

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
    return LatencyTimer(sysfsRoot_).AttributePath(path);
}

std::string LowLatencyAdapter::Tune(int fd, const std::string& path) const {
    AskForLowLatency(fd);
    const std::string timer = LatencyTimerPath(path);
    const int ms = LatencyTimer(sysfsRoot_).ReadMs(path);
    if (ms <= kWantedTimerMs) return {};
    const int error = WriteNumber(timer, kWantedTimerMs);
    if (error == 0) return {};
    return "The adapter at " + path + " holds received bytes for up to " + std::to_string(ms) +
           " ms (its latency timer), which delays every reply, and it may not be changed here (" +
           std::strerror(error) + "). Set it to 1 ms: echo 1 | sudo tee " + timer +
           " (to keep it, see \"Adapters and timing\" in the README for a udev rule).";
}
