#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <poll.h>
#include <unistd.h>
#include <vector>

#include "protocol/KwpFrame.h"
#include "support/PseudoTerminal.h"

// The tester's end of a pseudo-terminal: the program opens DevicePath() as its port, the
// test writes requests to the master side (raw mode) and reads the replies, running the Qt
// event loop meanwhile so the port's events reach the main thread.
class PtyTester {
public:
    using Bytes = std::vector<std::uint8_t>;

    QString DevicePath() const { return QString::fromStdString(pty_.SlavePath()); }
    // The tester's side, for a script that runs on a thread of its own.
    int MasterFd() const { return pty_.Master(); }

    void Send(const Bytes& bytes) { pty_.Send(bytes); }
    // Everything that arrives within ms (for "no answer").
    Bytes Collect(int ms) { return Read(ms, false); }
    // Sends a request and reads the one frame that answers it, or what came within 2 s.
    Bytes Exchange(const Bytes& request) {
        Send(request);
        return Reply();
    }
    // The next frame, or what came within 2 s.
    Bytes Reply() { return Read(2000, true); }

private:
    Bytes Read(int ms, bool oneFrame) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            if (oneFrame && !pending_.empty()) {
                const FrameSize size = ExpectedFrameSize(pending_.data(), pending_.size());
                if (size.status == FrameSize::Status::Known && pending_.size() >= size.bytes) {
                    const auto end = pending_.begin() + static_cast<std::ptrdiff_t>(size.bytes);
                    Bytes frame(pending_.begin(), end);
                    pending_.erase(pending_.begin(), end);
                    return frame;
                }
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd p{pty_.Master(), POLLIN, 0};
            std::uint8_t buffer[512];
            const ssize_t n = poll(&p, 1, 2) > 0 ? read(pty_.Master(), buffer, sizeof buffer) : 0;
            if (n > 0) pending_.insert(pending_.end(), buffer, buffer + n);
        }
        Bytes all;
        all.swap(pending_);
        return all;
    }

    PseudoTerminal pty_;
    Bytes pending_;
};
