#include "monitor/MonitorTraceFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "common/HexDigit.h"
#include "monitor/MonitorText.h"
#include "protocol/LiveBlockDecoder.h"

namespace MonitorTraceFile {

namespace {

std::string CsvField(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

bool ParseHexByte(const std::string& word, std::uint8_t* byte) {
    if (word.size() != 2) return false;
    const int high = HexDigitValue(word[0]);
    const int low = HexDigitValue(word[1]);
    if (high < 0 || low < 0) return false;
    *byte = static_cast<std::uint8_t>(high * 16 + low);
    return true;
}

template <typename T, typename Token>
std::optional<T> FromToken(const std::string& word, Token token, int count) {
    for (int i = 0; i < count; ++i) {
        if (word == token(static_cast<T>(i))) return static_cast<T>(i);
    }
    return std::nullopt;
}

std::string ErrorText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::string TextLine(const MonitorRow& row) {
    std::string line = std::to_string(row.atUs);
    if (row.kind == MonitorRowKind::Event) {
        line += " EV ";
        line += MonitorText::EventToken(row.event);
        if (row.event == LinkEvent::Unanswered) {
            line += ' ';
            line += MonitorText::ReasonToken(row.reason);
        }
    } else {
        line += row.kind == MonitorRowKind::Request ? " RX" : " TX";
    }
    if (!row.bytes.empty()) line += ' ' + MonitorText::Hex(row.bytes);
    if (row.kind == MonitorRowKind::Request && row.spanUs > 0) {
        line += " @ " + std::to_string(row.spanUs) + ' ' + std::to_string(row.minGapUs) + ' ' +
                std::to_string(row.maxGapUs);
    }
    return line + " # " + MonitorText::Meaning(row);
}

std::optional<MonitorRow> ParseTextLine(const std::string& line, EcuVariant variant) {
    const std::string fields = line.substr(0, line.find(" #"));
    std::istringstream in(fields);
    MonitorRow row;
    row.variant = variant;
    std::string direction;
    if (!(in >> row.atUs >> direction) || row.atUs < 0) return std::nullopt;
    if (direction == "RX") {
        row.kind = MonitorRowKind::Request;
    } else if (direction == "TX") {
        row.kind = MonitorRowKind::Reply;
    } else if (direction == "EV") {
        std::string token;
        if (!(in >> token)) return std::nullopt;
        const auto event = FromToken<LinkEvent>(token, MonitorText::EventToken, kLinkEventCount);
        if (!event || *event == LinkEvent::None) return std::nullopt;
        row.event = *event;
        if (row.event == LinkEvent::Unanswered) {
            if (!(in >> token)) return std::nullopt;
            const auto reason = FromToken<UnansweredReason>(token, MonitorText::ReasonToken, kUnansweredReasonCount);
            if (!reason) return std::nullopt;
            row.reason = *reason;
        }
    } else {
        return std::nullopt;
    }
    std::string word;
    while (in >> word) {
        if (word == "@") {
            if (!(in >> row.spanUs >> row.minGapUs >> row.maxGapUs)) return std::nullopt;
            if (row.spanUs < 0 || row.minGapUs < 0 || row.maxGapUs < 0) return std::nullopt;
            break;
        }
        std::uint8_t byte = 0;
        if (!ParseHexByte(word, &byte)) return std::nullopt;
        row.bytes.push_back(byte);
    }
    return row;
}

bool Save(const std::string& path, const MonitorRing& rows, const StampResolution& resolution, Format format,
          std::string* error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        *error = ErrorText("cannot write", path);
        return false;
    }
    const std::uint64_t first = rows.FirstNumber();
    if (format == Format::Csv) {
        out << "time_s,gap_ms,direction,bytes,meaning\r\n";
        const std::int64_t start = rows.Size() > 0 ? rows.At(first).atUs : 0;
        std::int64_t previous = start;
        for (std::uint64_t n = first; n < rows.NextNumber(); ++n) {
            const MonitorRow& row = rows.At(n);
            out << MonitorText::Seconds(row.atUs - start) << ',' << MonitorText::Millis(row.atUs - previous) << ','
                << CsvField(MonitorText::Direction(row)) << ',' << CsvField(MonitorText::Hex(row.bytes)) << ','
                << CsvField(MonitorText::Meaning(row)) << "\r\n";
            previous = row.atUs;
        }
    } else {
        out << "# K-line trace: <us> RX|TX <bytes> [@ span min-gap max-gap] # meaning\n";
        out << "# resolution " << resolution.kind << ' ' << resolution.resolutionMs << '\n';
        std::optional<EcuVariant> variant;
        for (std::uint64_t n = first; n < rows.NextNumber(); ++n) {
            const MonitorRow& row = rows.At(n);
            if (variant != row.variant) {
                variant = row.variant;
                out << "# variant " << ShortName(row.variant) << '\n';
            }
            out << TextLine(row) << '\n';
        }
    }
    out.flush();
    if (!out) {
        *error = ErrorText("cannot write", path);
        return false;
    }
    return true;
}

std::optional<Loaded> Load(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = ErrorText("cannot read", path);
        return std::nullopt;
    }
    Loaded loaded;
    loaded.resolution = StampResolution::ForDevice("unknown");
    EcuVariant variant = EcuVariant::Ja5;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] == '#') {
            std::istringstream words(line.substr(1));
            std::string key, value;
            double ms = -1;
            words >> key >> value >> ms;
            if (key == "variant") {
                if (const auto v = VariantByShortName(value)) variant = *v;
            } else if (key == "resolution") {
                // An adapter's latency timer is a few milliseconds; anything else is not one.
                if (!(ms >= 0 && ms <= 1000)) ms = -1;
                loaded.resolution = StampResolution::ForDevice(value == "pseudo-terminal" ? "pty"
                                                               : value == "usb-adapter"   ? "ttyUSB"
                                                               : value == "serial-port"   ? "ttyS"
                                                                                          : value,
                                                               static_cast<int>(ms));
            }
            continue;
        }
        auto row = ParseTextLine(line, variant);
        const bool inDay = row && (loaded.rows.empty() || (row->atUs >= loaded.rows.front().atUs - kMaxSpanUs &&
                                                           row->atUs - loaded.rows.front().atUs <= kMaxSpanUs));
        if (inDay) {
            loaded.rows.push_back(std::move(*row));
        } else {
            ++loaded.skippedLines;
        }
    }
    if (loaded.rows.empty()) {
        *error = "no trace rows in " + path;
        return std::nullopt;
    }
    return loaded;
}

}  // namespace MonitorTraceFile
