#include "SerialDevice.h"

// The kernel's termios2 (custom rates via BOTHER) lives only in this file: its header
// clashes with the C library's termios.h.
#include <asm/termbits.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

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
    termios2 tio{};
    if (::ioctl(fd_, TCGETS2, &tio) != 0) {
        *error = SystemText("not a serial device:", path);
        Close();
        return false;
    }
    // Raw bytes: no echo, no line editing, no translation, no signals, no handshake.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                          IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = static_cast<speed_t>(baud);
    tio.c_ospeed = static_cast<speed_t>(baud);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::ioctl(fd_, TCSETS2, &tio) != 0) {
        *error = SystemText("cannot configure", path);
        Close();
        return false;
    }
    termios2 check{};
    if (::ioctl(fd_, TCGETS2, &check) != 0 || check.c_ospeed != static_cast<speed_t>(baud)) {
        *error = path + " does not keep " + std::to_string(baud) + " baud (it reports " +
                 std::to_string(check.c_ospeed) + ")";
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
    ::ioctl(fd_, TCSBRK, 1);  // drain: the bytes are on the line when this returns
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
    return static_cast<int>(n);
}

int SerialDevice::DiscardInput() {
    int waiting = 0;
    ::ioctl(fd_, FIONREAD, &waiting);
    ::ioctl(fd_, TCFLSH, TCIFLUSH);
    return waiting;
}
