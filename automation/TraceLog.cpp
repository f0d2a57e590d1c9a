#include "automation/TraceLog.h"

#include <QFileInfo>
#include <string>
#include <utility>

#include "common/HexText.h"
#include "common/MonotonicClock.h"

TraceLog::TraceLog(MicrosClock clock, FailureSink failed) : clock_(std::move(clock)), failed_(std::move(failed)) {
    if (!clock_) {
        clock_ = MonotonicUs;
    }
}

bool TraceLog::Open(const QString& path, QString* error) {
    file_.setFileName(path);
    // Unbuffered: each line is one write that succeeds or says why not, and a reader following
    // the file sees whole lines. A device or a pipe has no end to append to.
    const QFileInfo target(path);
    const QIODevice::OpenMode append = !target.exists() || target.isFile() ? QIODevice::Append : QIODevice::NotOpen;
    if (!file_.open(QIODevice::WriteOnly | append | QIODevice::Text | QIODevice::Unbuffered)) {
        *error = QStringLiteral("cannot open trace file %1: %2").arg(path, file_.errorString());
        return false;
    }
    return true;
}

void TraceLog::Record(Direction direction, const std::uint8_t* bytes, int count) {
    Write(clock_(), direction, bytes, count);
}

void TraceLog::Record(Direction direction, const std::uint8_t* bytes, int count,
                      std::chrono::steady_clock::time_point at) {
    Write(std::chrono::duration_cast<std::chrono::microseconds>(at.time_since_epoch()).count(), direction, bytes,
          count);
}

void TraceLog::Write(std::int64_t micros, Direction direction, const std::uint8_t* bytes, int count) {
    if (!file_.isOpen()) {
        return;
    }
    std::string line = std::to_string(micros);
    line += direction == Direction::Received ? " RX" : " TX";
    AppendHexText(line, bytes, count > 0 ? static_cast<std::size_t>(count) : 0);
    line += '\n';
    if (file_.write(line.data(), static_cast<qint64>(line.size())) != static_cast<qint64>(line.size())) {
        const QString message = QStringLiteral("cannot write trace file %1: %2; the trace ends here")
                                    .arg(file_.fileName(), file_.errorString());
        file_.close();
        if (failed_) {
            failed_(message);
        }
    }
}
