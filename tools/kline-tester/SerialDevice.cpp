#include "SerialDevice.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "serial/LinuxTermios.h"

namespace {

std::string SystemText(const char* what, const std::string& path) {
    const int code = errno;
    return std::string(what) + " " + path + " (" + std::to_string(code) + "), " + std::strerror(code);
}

}  // namespace

SerialDevice::~SerialDevice() {
    Close();
}

bool SerialDevice::Open(const std::string& path, int baud, std::string* error) {
    Close();
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        *error = SystemText("cannot open", path);
        return false;
    }
    char resolved[PATH_MAX];
    pseudoTerminal_ = ::realpath(path.c_str(), resolved) != nullptr && std::strncmp(resolved, "/dev/pts/", 9) == 0;
    TermiosImage line;
    if (GetTermios2(fd_, line) != 0) {
        *error = SystemText("not a serial device:", path);
        Close();
        return false;
    }
    // 10400 baud is no standard rate: the kernel's termios2 carries it as it is.
    MakeRaw8N1(line, static_cast<std::uint32_t>(baud));
    if (SetTermios2(fd_, line) != 0) {
        *error = SystemText("cannot configure", path);
        Close();
        return false;
    }
    TermiosImage check;
    if (GetTermios2(fd_, check) != 0 || check.ospeed != static_cast<std::uint32_t>(baud)) {
        *error = path + " does not keep " + std::to_string(baud) + " baud (it reports " +
                 std::to_string(check.ospeed) + ")";
        Close();
        return false;
    }
    return true;
}

void SerialDevice::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool SerialDevice::Write(const std::uint8_t* bytes, std::size_t count, std::string* error) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, bytes + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            *error = SystemText("write error on", "the device");
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    // The bytes are on the line when this returns.
    int drained;
    do {
        drained = ::tcdrain(fd_);
    } while (drained != 0 && errno == EINTR);
    if (drained != 0) {
        *error = SystemText("cannot wait for the bytes to leave", "the device");
        return false;
    }
    lastDrained_ = std::chrono::steady_clock::now();
    return true;
}

int SerialDevice::Read(std::uint8_t* buffer, std::size_t capacity, int timeoutMs, std::string* error) {
    pollfd pfd{fd_, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&pfd, 1, timeoutMs < 0 ? 0 : timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) {
        *error = SystemText("poll error on", "the device");
        return -1;
    }
    if (ready == 0) {
        return 0;
    }
    if ((pfd.revents & POLLIN) == 0) {
        *error = "the device hung up";
        return -1;
    }
    const ssize_t n = ::read(fd_, buffer, capacity);
    if (n < 0) {
        if (errno == EINTR || errno == EAGAIN) return 0;
        *error = SystemText("read error on", "the device");
        return -1;
    }
    // An adapter pulled out reads as an end of file; taken for a time-out, the tester would
    // wait on a line that is no longer there.
    if (n == 0 && (pfd.revents & (POLLHUP | POLLERR)) != 0) {
        *error = "the device hung up";
        return -1;
    }
    return static_cast<int>(n);
}

int SerialDevice::DiscardInput(std::string* error) {
    int waiting = 0;
    if (::ioctl(fd_, FIONREAD, &waiting) != 0) {
        *error = SystemText("cannot count the bytes waiting on", "the device");
        return -1;
    }
    if (::tcflush(fd_, TCIFLUSH) != 0) {
        *error = SystemText("cannot discard the bytes waiting on", "the device");
        return -1;
    }
    return waiting;
}

bool SerialDevice::SetBreak(bool on, std::string* error) {
    if (::ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) != 0) {
        *error = SystemText("cannot switch the break on", "the device");
        return false;
    }
    return true;
}
