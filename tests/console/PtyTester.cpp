#include "PtyTester.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <cerrno>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

PtyTester::PtyTester() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    termios raw{};
    tcgetattr(master_, &raw);
    cfmakeraw(&raw);
    tcsetattr(master_, TCSANOW, &raw);
    path_ = QString::fromLocal8Bit(name);
}

PtyTester::~PtyTester() {
    close(slave_);
    close(master_);
}

void PtyTester::Send(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR && errno != EAGAIN) {
            throw std::runtime_error("write to pty failed");
        }
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
}

bool PtyTester::ReadAvailable(int waitMs) {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, waitMs) <= 0 || (p.revents & POLLIN) == 0) {
        return false;
    }
    std::uint8_t buffer[512];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) {
        return false;
    }
    pending_.insert(pending_.end(), buffer, buffer + n);
    return true;
}

namespace {

// The size a frame announces in its header, or 0 while the header is incomplete.
std::size_t AnnouncedSize(const PtyTester::Bytes& b) {
    if (b.empty()) {
        return 0;
    }
    if (b[0] == 0x80) {
        return b.size() >= 4 ? b[3] + 5u : 0u;
    }
    return (b[0] & 0x3Fu) + 4u;
}

}  // namespace

PtyTester::Bytes PtyTester::ReadFrame(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        const std::size_t size = AnnouncedSize(pending_);
        if (size != 0 && pending_.size() >= size) {
            Bytes frame(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(size));
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(size));
            return frame;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ReadAvailable(2);
    }
    Bytes partial;
    partial.swap(pending_);
    return partial;
}

PtyTester::Bytes PtyTester::Collect(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ReadAvailable(2);
    }
    Bytes all;
    all.swap(pending_);
    return all;
}
