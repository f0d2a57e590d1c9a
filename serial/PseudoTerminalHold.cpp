#include "serial/PseudoTerminalHold.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
    termios raw{};
    if (::tcgetattr(fd_, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(fd_, TCSANOW, &raw);
    }
    return true;
}
