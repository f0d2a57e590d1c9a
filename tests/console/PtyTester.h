#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// The tester's end of a pseudo-terminal: the program opens DevicePath() as its port, the
// test writes requests to the master side (raw mode) and reads the replies byte for byte,
// running the Qt event loop meanwhile so the port's events reach the main thread.
class PtyTester {
public:
    using Bytes = std::vector<std::uint8_t>;

    PtyTester();
    ~PtyTester();
    PtyTester(const PtyTester&) = delete;
    PtyTester& operator=(const PtyTester&) = delete;

    QString DevicePath() const { return path_; }

    void Send(const Bytes& bytes);
    // One whole reply frame (its length taken from its header), or what arrived when
    // timeoutMs passed without one.
    Bytes ReadFrame(int timeoutMs = 2000);
    // Everything that arrives within the given time (for "no answer").
    Bytes Collect(int ms);
    // Sends a request and reads the one frame that answers it.
    Bytes Exchange(const Bytes& request) {
        Send(request);
        return ReadFrame();
    }

private:
    bool ReadAvailable(int waitMs);

    int master_ = -1;
    int slave_ = -1;
    QString path_;
    Bytes pending_;
};
