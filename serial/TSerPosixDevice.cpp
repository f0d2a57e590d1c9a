#include "serial/TSerPosixDevice.h"

#include "serial/LinuxTermios.h"
#include "serial/LowLatencyAdapter.h"
#include "serial/SerTypes.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPseudoTerminalMultiplexer = "/dev/ptmx";
// A UART cannot always hit a rate exactly; K-line receivers tolerate about 2 %.
constexpr double kRateTolerance = 0.02;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Modem-line calls on a pseudo-terminal or a bare adapter: the device has no such lines.
bool NoModemLines(int error) { return error == ENOTTY || error == EINVAL; }

}  // namespace

TSerPosixDevice::~TSerPosixDevice() { Close(); }

int TSerPosixDevice::Open(const std::string& path) {
    Close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    // Every open of the multiplexer makes a pair of its own; a lock on it would only keep
    // a second virtual port out.
    const bool multiplexer = path == kPseudoTerminalMultiplexer;
    // The lock holds against every other opener, root included; TIOCEXCL then keeps out
    // programs that do not lock.
    if (!multiplexer && (::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
                         (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY))) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    fd_ = fd;
    lineErrors_ = 0;
    openNotice_.clear();
    if (multiplexer) {
        if (const int error = OpenPseudoTerminalMaster()) {
            Close();
            return error;
        }
    } else {
        // Replies are timed from the moment a request's bytes are read: have them delivered at once.
        openNotice_ = LowLatencyAdapter(sysfsRoot_).Tune(fd_, path);
    }
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) {
        const int error = errno;
        Close();
        return error;
    }
    return 0;
}

int TSerPosixDevice::OpenPseudoTerminalMaster() {
    char name[128] = {};
    if (::grantpt(fd_) != 0 || ::unlockpt(fd_) != 0 || ::ptsname_r(fd_, name, sizeof name) != 0)
        return errno;
    if (MakeRawTermios2(fd_) != 0) return errno;
    master_ = true;
    pseudoTerminalPath_ = name;
    return 0;
}

void TSerPosixDevice::Close() {
    if (fd_ >= 0) {
        if (!master_) ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
    if (wake_ >= 0) {
        ::close(wake_);
        wake_ = -1;
    }
    master_ = false;
    pseudoTerminalPath_.clear();
    openNotice_.clear();
}

int TSerPosixDevice::WriteLineSettings(const TSerLineSettings& settings) {
    TermiosImage wanted;
    if (!TermiosFromLineSettings(settings, wanted)) return EINVAL;
    TermiosImage present;
    if (GetTermios2(fd_, present) != 0) return errno;
    wanted.line = present.line;
    if (SetTermios2(fd_, wanted) != 0) return errno;
    // Read the rate back: a driver that cannot run it says so only here.
    TermiosImage applied;
    if (GetTermios2(fd_, applied) != 0) return errno;
    const double off = static_cast<double>(applied.ospeed) - settings.BaudRate;
    if (off > settings.BaudRate * kRateTolerance || -off > settings.BaudRate * kRateTolerance)
        return EINVAL;
    return SetModemLines(settings);
}

int TSerPosixDevice::KeepLineState() {
    termiosKept_ = false;
    if (GetTermios2(fd_, keptTermios_) != 0) return errno;
    int lines = 0;
    modemLinesKept_ = ::ioctl(fd_, TIOCMGET, &lines) == 0;
    if (!modemLinesKept_ && !NoModemLines(errno)) return errno;
    keptModemLines_ = lines & (TIOCM_DTR | TIOCM_RTS);
    termiosKept_ = true;
    return 0;
}

int TSerPosixDevice::RestoreLineState() {
    if (!termiosKept_) return EINVAL;
    if (SetTermios2(fd_, keptTermios_) != 0) return errno;
    if (!modemLinesKept_) return 0;
    int raise = keptModemLines_;
    int drop = (TIOCM_DTR | TIOCM_RTS) & ~keptModemLines_;
    if (raise != 0 && ::ioctl(fd_, TIOCMBIS, &raise) != 0) return errno;
    if (drop != 0 && ::ioctl(fd_, TIOCMBIC, &drop) != 0) return errno;
    return 0;
}

int TSerPosixDevice::SetModemLines(const TSerLineSettings& settings) {
    const std::uint32_t dtr = settings.Flags & TSerLineSettings::fDtrControlMask;
    const std::uint32_t rts = settings.Flags & TSerLineSettings::fRtsControlMask;
    int raise = 0;
    int drop = 0;
    (dtr == 0 ? drop : raise) |= TIOCM_DTR;
    // Under RTS handshake the driver drives the line; leave it raised for it.
    (rts == 0 ? drop : raise) |= TIOCM_RTS;
    if (raise != 0 && ::ioctl(fd_, TIOCMBIS, &raise) != 0 && !NoModemLines(errno)) return errno;
    if (drop != 0 && ::ioctl(fd_, TIOCMBIC, &drop) != 0 && !NoModemLines(errno)) return errno;
    return 0;
}

int TSerPosixDevice::SetupQueues(int inputSize, int outputSize) {
    // The tty layer sizes its queues itself.
    return inputSize < 0 || outputSize < 0 ? EINVAL : 0;
}

int TSerPosixDevice::SetReadInterval(int milliseconds) {
    if (milliseconds < 0) return EINVAL;
    readIntervalMs_ = milliseconds;
    return 0;
}

int TSerPosixDevice::SetEventMask(std::uint32_t) {
    // The event thread polls for what the mask asks; nothing to tell the driver.
    return 0;
}

int TSerPosixDevice::InQueue(int& count) {
    count = 0;
    int queued = 0;
    if (::ioctl(fd_, FIONREAD, &queued) != 0) return errno;
    count = queued;
    return 0;
}

std::uint32_t TSerPosixDevice::TakeLineErrors() { return lineErrors_.exchange(0); }

void TSerPosixDevice::NoteFailure() {
    if (!master_) lineErrors_ |= leIOError;
}

int TSerPosixDevice::Read(void* buffer, int count, int timeoutMs, int& got) {
    got = 0;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got < count) {
        const ssize_t n = ::read(fd_, bytes + got, static_cast<std::size_t>(count - got));
        if (n > 0) {
            got += static_cast<int>(n);
            continue;
        }
        // End of file, or a master whose other side is gone: nothing more to read.
        if (n == 0 || (master_ && errno == EIO)) return 0;
        if (errno == EINTR) continue;
        if (errno != EAGAIN) {
            const int error = errno;
            NoteFailure();
            return error;
        }
        // The first byte may take the whole time-out; after it, a gap longer than the read
        // interval ends the read.
        int wait = MillisecondsLeft(deadline);
        if (got > 0 && wait > readIntervalMs_) wait = readIntervalMs_;
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, wait);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return errno;
        if (ready == 0 || !(p.revents & POLLIN)) return 0;
    }
    return 0;
}

int TSerPosixDevice::ReadNow(void* buffer, int count, int& got) {
    got = 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, static_cast<std::size_t>(count));
        if (n > 0) {
            got = static_cast<int>(n);
            return 0;
        }
        // End of file, a master whose other side is gone, or nothing there after all.
        if (n == 0 || errno == EAGAIN || (master_ && errno == EIO)) return 0;
        if (errno == EINTR) continue;
        const int error = errno;
        NoteFailure();
        return error;
    }
}

int TSerPosixDevice::Write(const void* buffer, int count, int timeoutMs, int& put) {
    put = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (put < count) {
        const ssize_t n = ::write(fd_, bytes + put, static_cast<std::size_t>(count - put));
        if (n > 0) {
            put += static_cast<int>(n);
            continue;
        }
        int error = n == 0 ? EIO : errno;
        if (error == EINTR) continue;
        if (error == EAGAIN) {
            // The driver's queue is full: wait for room, for the port closing, or the time-out.
            pollfd p[2] = {{fd_, POLLOUT, 0}, {wake_, POLLIN, 0}};
            const int ready = ::poll(p, 2, timeoutMs < 0 ? -1 : MillisecondsLeft(deadline));
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0) return errno;
            if (ready == 0 || p[1].revents != 0) return 0;
            if (p[0].revents & POLLOUT) continue;
            error = EIO;  // hung up with a full queue: it will never drain
        }
        if (master_) {
            // Nobody holds the other side: the bytes have no listener; drop them quietly.
            put = count;
            return 0;
        }
        NoteFailure();
        return error;
    }
    return 0;
}

TSerWaitResult TSerPosixDevice::WaitReceive(int timeoutMs) {
    pollfd p[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
    const int ready = ::poll(p, 2, timeoutMs);
    if (ready < 0) {
        if (errno == EINTR) return {wkTimeout, 0};
        return {wkError, errno};
    }
    if (p[1].revents != 0) return {wkWoken, 0};
    if (ready == 0) return {wkTimeout, 0};
    // Readable and not hung up: a raw line is readable only with bytes there.
    if ((p[0].revents & POLLIN) && !(p[0].revents & (POLLHUP | POLLERR | POLLNVAL))) return {wkReceived, 0};
    int queued = 0;
    if ((p[0].revents & POLLIN) && ::ioctl(fd_, FIONREAD, &queued) == 0 && queued > 0)
        return {wkReceived, 0};
    // Readable with nothing to read, or hung up: the other side is gone.
    NoteFailure();
    return {(p[0].revents & POLLNVAL) ? wkError : wkHangup, (p[0].revents & POLLNVAL) ? EBADF : 0};
}

bool TSerPosixDevice::Pause(int timeoutMs) {
    pollfd p{wake_, POLLIN, 0};
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int ready = ::poll(&p, 1, MillisecondsLeft(deadline));
        if (ready > 0) return false;
        if (ready == 0 || errno != EINTR) return true;
    }
}

void TSerPosixDevice::Wake() {
    if (wake_ < 0) return;
    const std::uint64_t one = 1;
    // The counter stays above zero: every later wait ends at once until the next Open.
    [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
}

std::string TSerPosixDevice::ErrorText(int code) const {
    char text[256] = {};
    return ::strerror_r(code, text, sizeof text);
}
