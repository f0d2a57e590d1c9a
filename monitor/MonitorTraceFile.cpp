#include "monitor/MonitorTraceFile.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

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

bool ParseHexByte(std::string_view word, std::uint8_t* byte) {
    if (word.size() != 2) return false;
    const int high = HexDigitValue(word[0]);
    const int low = HexDigitValue(word[1]);
    if (high < 0 || low < 0) return false;
    *byte = static_cast<std::uint8_t>(high * 16 + low);
    return true;
}

// The words of a line, split at blanks, and whole numbers among them.
class Words {
public:
    explicit Words(std::string_view text) : text_(text) {}

    bool Next(std::string_view* word) {
        while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
        const std::size_t start = at_;
        while (at_ < text_.size() && !IsBlank(text_[at_])) ++at_;
        *word = text_.substr(start, at_ - start);
        return !word->empty();
    }

    // The next word as a whole number of T's range, an optional sign before it.
    template <typename T>
    bool Number(T* value) {
        std::string_view word;
        if (!Next(&word)) return false;
        if (word.size() > 1 && word[0] == '+') word.remove_prefix(1);
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), *value);
        return error == std::errc() && end == word.data() + word.size();
    }

private:
    static bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    std::string_view text_;
    std::size_t at_ = 0;
};

template <typename T, typename Token>
std::optional<T> FromToken(std::string_view word, Token token, int count) {
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
    // Words split by hand: a string stream per line costs more than the rest of the reading.
    Words in(std::string_view(line).substr(0, line.find(" #")));
    MonitorRow row;
    row.variant = variant;
    std::string_view direction;
    if (!in.Number(&row.atUs) || !in.Next(&direction) || row.atUs < 0) return std::nullopt;
    if (direction == "RX") {
        row.kind = MonitorRowKind::Request;
    } else if (direction == "TX") {
        row.kind = MonitorRowKind::Reply;
    } else if (direction == "EV") {
        std::string_view token;
        if (!in.Next(&token)) return std::nullopt;
        const auto event = FromToken<LinkEvent>(token, MonitorText::EventToken, kLinkEventCount);
        if (!event || *event == LinkEvent::None) return std::nullopt;
        row.event = *event;
        if (row.event == LinkEvent::Unanswered) {
            if (!in.Next(&token)) return std::nullopt;
            const auto reason = FromToken<UnansweredReason>(token, MonitorText::ReasonToken, kUnansweredReasonCount);
            if (!reason) return std::nullopt;
            row.reason = *reason;
        }
    } else {
        return std::nullopt;
    }
    std::string_view word;
    while (in.Next(&word)) {
        if (word == "@") {
            if (!in.Number(&row.spanUs) || !in.Number(&row.minGapUs) || !in.Number(&row.maxGapUs)) return std::nullopt;
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

ReadCounts Read(std::istream& in, const RowSink& sink) {
    ReadCounts counts;
    EcuVariant variant = EcuVariant::Ja5;
    std::optional<std::int64_t> firstUs;
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
                sink.resolution(StampResolution::ForDevice(value == "pseudo-terminal" ? "pty"
                                                           : value == "usb-adapter"   ? "ttyUSB"
                                                           : value == "serial-port"   ? "ttyS"
                                                                                      : value,
                                                           static_cast<int>(ms)));
            }
            continue;
        }
        // A row more than a day away from the trace's first row is no row of this trace.
        auto row = ParseTextLine(line, variant);
        const bool inDay = row && (!firstUs || (row->atUs >= *firstUs - kMaxSpanUs && row->atUs - *firstUs <= kMaxSpanUs));
        if (inDay) {
            if (!firstUs) firstUs = row->atUs;
            ++counts.rows;
            sink.row(std::move(*row));
        } else {
            ++counts.skippedLines;
        }
    }
    return counts;
}

std::optional<ReadCounts> Load(const std::string& path, const RowSink& sink, std::string* error) {
    // A device or a pipe has no size to check and may never end.
    std::error_code code;
    if (std::filesystem::exists(path, code) && !std::filesystem::is_regular_file(path, code)) {
        *error = "cannot open " + path + ": not a file";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        *error = ErrorText("cannot read", path);
        return std::nullopt;
    }
    const auto size = static_cast<std::uint64_t>(std::max<std::streamoff>(in.tellg(), 0));
    if (size > kMaxTraceBytes) {
        *error = "cannot open " + path + ": the trace is " + std::to_string(size >> 20) +
                 " MB, more than the " + std::to_string(kMaxTraceBytes >> 20) + " MB a trace may have";
        return std::nullopt;
    }
    in.seekg(0);
    sink.resolution(StampResolution::ForDevice("unknown"));
    const ReadCounts counts = Read(in, sink);
    if (counts.rows == 0) {
        *error = "no trace rows in " + path;
        return std::nullopt;
    }
    return counts;
}

}  // namespace MonitorTraceFile
