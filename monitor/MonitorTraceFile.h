#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "monitor/MonitorRing.h"
#include "monitor/StampResolution.h"

// The monitor's rows on disk. Text is the trace line format, one frame a line with its
// meaning after " # ":
//   <µs> RX|TX <bytes in hex> [@ <span µs> <min gap µs> <max gap µs>] # <meaning>
//   <µs> EV <event> [<reason>] [<bytes in hex>] # <meaning>
// with "# variant NAME" before the rows of each controller type and "# resolution KIND" at
// the top. A plain trace of chunks reads back too, each RX line taken as one frame. CSV is
// for spreadsheets: time since the first row, gap, direction, bytes, meaning.
namespace MonitorTraceFile {

enum class Format { Text, Csv };

// A trace is read as one sitting of at most a day: a stamp more than that before or after the
// first row's, a negative stamp, span or gap make their line no row, so the report never
// computes with them.
constexpr std::int64_t kMaxSpanUs = 86'400'000'000;

bool Save(const std::string& path, const MonitorRing& rows, const StampResolution& resolution, Format format,
          std::string* error);

// The largest saved trace that is opened; a bigger one is refused whole.
constexpr std::uint64_t kMaxTraceBytes = 256ull * 1024 * 1024;

// Where the rows of a trace go as they are read, one at a time: nothing holds the whole file.
struct RowSink {
    // A "# resolution" line, before the rows it stands over.
    std::function<void(const StampResolution&)> resolution;
    std::function<void(MonitorRow&&)> row;
};

struct ReadCounts {
    std::uint64_t rows = 0;
    std::uint64_t skippedLines = 0;  // lines not understood: no row, or a row outside the trace's day
};

// One pass over trace text.
ReadCounts Read(std::istream& in, const RowSink& sink);
// One pass over a saved trace. Nothing, with the reason in *error, when the file cannot be read,
// is no plain file, is bigger than kMaxTraceBytes (then before a byte is read) or holds no row.
std::optional<ReadCounts> Load(const std::string& path, const RowSink& sink, std::string* error);

// One row as a text line, without the line end, and back.
std::string TextLine(const MonitorRow& row);
std::optional<MonitorRow> ParseTextLine(const std::string& line, EcuVariant variant);

}  // namespace MonitorTraceFile
