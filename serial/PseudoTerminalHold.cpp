#include "serial/PseudoTerminalHold.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminalHold::~PseudoTerminalHold() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool PseudoTerminalHold::Hold(const QString& path, QString* error) {
    fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int code = errno;
        *error = QStringLiteral("cannot open %1 (%2), %3").arg(path).arg(code).arg(QString::fromLocal8Bit(std::strerror(code)));
        return false;
    }
    ::flock(fd_, LOCK_EX | LOCK_NB);  // a fresh side: nobody else holds a lock on it
    // A side left cooked would echo every reply back into the link: no use holding it.
    termios raw{};
    if (::tcgetattr(fd_, &raw) != 0 || (::cfmakeraw(&raw), ::tcsetattr(fd_, TCSANOW, &raw)) != 0) {
        const int code = errno;
        *error = QStringLiteral("cannot switch %1 to raw bytes (%2), %3")
                     .arg(path)
                     .arg(code)
                     .arg(QString::fromLocal8Bit(std::strerror(code)));
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool PseudoTerminalHold::HeldElsewhere(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;  // gone with the program that made it
    }
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // closing drops a lock taken just now
    return held;
}
