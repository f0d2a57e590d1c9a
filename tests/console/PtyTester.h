#pragma once

#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "protocol/KwpFrame.h"
#include "support/PseudoTerminal.h"

// The tester's end of a pseudo-terminal: the program opens DevicePath() as its port. A thread
// of its own reads and stamps every byte as it arrives, while the test's thread writes the
// requests and runs the window's event loop so the port's events reach it.
class PtyTester {
public:
    using Bytes = std::vector<std::uint8_t>;
    using Clock = std::chrono::steady_clock;

    PtyTester() : reader_([this] { Read(); }) {}
    ~PtyTester() {
        stop_ = true;
        reader_.join();
    }

    QString DevicePath() const { return QString::fromStdString(pty_.SlavePath()); }

    // Writes bytes; returns the moment just before they were written.
    Clock::time_point Send(const Bytes& bytes) {
        const Clock::time_point before = Clock::now();
        pty_.Send(bytes);
        return before;
    }
    // Sends a request and reads the one frame that answers it, or what came within 2 s.
    Bytes Exchange(const Bytes& request) {
        Send(request);
        return Reply();
    }
    // The next frame not yet taken, or what came within 2 s.
    Bytes Reply() {
        std::size_t size = 0;
        const bool whole = QTest::qWaitFor([&] {
            const Bytes rest = Range(taken_, Received() - taken_);
            const FrameSize frame = ExpectedFrameSize(rest.data(), rest.size());
            size = frame.bytes;
            return frame.status == FrameSize::Status::Known && rest.size() >= frame.bytes;
        }, 2000);
        return Take(whole ? size : Received() - taken_);
    }

    // Waits (running the event loop) until `count` bytes have come since the start.
    bool WaitForBytes(std::size_t count) {
        return QTest::qWaitFor([&] { return Received() >= count; }, 10000);
    }
    std::size_t Received() {
        std::lock_guard<std::mutex> guard(lock_);
        return bytes_.size();
    }
    Bytes Range(std::size_t from, std::size_t count) {
        std::lock_guard<std::mutex> guard(lock_);
        return Bytes(bytes_.begin() + from, bytes_.begin() + from + count);
    }
    // When the byte that came `index`-th since the start came.
    Clock::time_point ArrivalOf(std::size_t index) {
        std::lock_guard<std::mutex> guard(lock_);
        return arrivals_.at(index);
    }

private:
    Bytes Take(std::size_t count) {
        taken_ += count;
        return Range(taken_ - count, count);
    }
    void Read() {
        while (!stop_) {
            pollfd p{pty_.Master(), POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            std::uint8_t buffer[256];
            const ssize_t n = ::read(pty_.Master(), buffer, sizeof buffer);
            std::lock_guard<std::mutex> guard(lock_);
            bytes_.insert(bytes_.end(), buffer, buffer + std::max<ssize_t>(n, 0));
            arrivals_.resize(bytes_.size(), Clock::now());
        }
    }

    PseudoTerminal pty_;
    std::size_t taken_ = 0;  // bytes handed over by Reply
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    Bytes bytes_;
    std::vector<Clock::time_point> arrivals_;
    std::thread reader_;  // last: it reads the terminal above
};
