#include "automation/TraceLog.h"

#include <string>
#include <utility>

#include "common/HexText.h"
#include "common/MonotonicClock.h"

TraceLog::TraceLog(MicrosClock clock) : clock_(std::move(clock)) {
    if (!clock_) {
        clock_ = MonotonicUs;
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
    std::string line = std::to_string(clock_());
    line += direction == Direction::Received ? " RX" : " TX";
    AppendHexText(line, bytes, count > 0 ? static_cast<std::size_t>(count) : 0);
    line += '\n';
    // One write per line and a flush, so that a reader following the file sees whole lines.
    file_.write(line.data(), static_cast<qint64>(line.size()));
    file_.flush();
}
