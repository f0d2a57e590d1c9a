#include "automation/TraceLog.h"

#include <chrono>
#include <utility>

TraceLog::TraceLog(MicrosClock clock) : clock_(std::move(clock)) {
    if (!clock_) {
        clock_ = &TraceLog::MonotonicMicros;
    }
}

bool TraceLog::Open(const QString& path, QString* error) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        *error = QStringLiteral("cannot open trace file %1: %2").arg(path, file_.errorString());
        return false;
    }
    return true;
}

void TraceLog::Record(Direction direction, const std::uint8_t* bytes, int count) {
    if (!file_.isOpen()) {
        return;
    }
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray line = QByteArray::number(static_cast<qlonglong>(clock_()));
    line += direction == Direction::Received ? " RX" : " TX";
    line.reserve(line.size() + count * 3 + 1);
    for (int i = 0; i < count; ++i) {
        line += ' ';
        line += kHex[bytes[i] >> 4];
        line += kHex[bytes[i] & 0x0F];
    }
    line += '\n';
    // One write per line and a flush, so that a reader following the file sees whole lines.
    file_.write(line);
    file_.flush();
}

std::int64_t TraceLog::MonotonicMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
