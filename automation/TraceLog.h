#pragma once

#include <QFile>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>

// Appends one line per chunk received and per frame sent:
// "<monotonic microseconds> RX|TX <bytes in hex>", e.g. "81234567 RX 81 10 F1 81 03".
class TraceLog {
public:
    enum class Direction { Received, Sent };
    using MicrosClock = std::function<std::int64_t()>;
    // Told once when a line cannot be written (a full disk): the trace ends there, and the
    // link goes on being served.
    using FailureSink = std::function<void(const QString& message)>;

    // An empty clock means the system's monotonic clock.
    explicit TraceLog(MicrosClock clock = {}, FailureSink failed = {});

    // Opens (creating or appending to) the file; false with a message when it cannot.
    bool Open(const QString& path, QString* error);
    bool IsOpen() const { return file_.isOpen(); }

    void Record(Direction direction, const std::uint8_t* bytes, int count);
    // At a given moment, not when the line is written: a chunk when the port read it, a reply
    // when it left.
    void Record(Direction direction, const std::uint8_t* bytes, int count,
                std::chrono::steady_clock::time_point at);

private:
    void Write(std::int64_t micros, Direction direction, const std::uint8_t* bytes, int count);

    QFile file_;
    MicrosClock clock_;
    FailureSink failed_;
};
