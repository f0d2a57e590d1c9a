// Saved monitor traces, any bytes, through the trace reader into a monitor and its report, as
// opening a trace does. Every row read writes back as a line that reads back the same; the
// counts add up to the lines there are; the report and the saved text come out of any rows.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "monitor/LinkMonitor.h"
#include "monitor/MonitorText.h"
#include "monitor/MonitorTraceFile.h"

namespace {

[[noreturn]] void Broken(const char* what, const std::string& line) {
    std::fprintf(stderr, "trace file fuzz: %s: %s\n", what, line.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    LinkMonitor monitor(64);  // small, so the ring goes round
    MonitorTraceFile::RowSink sink;
    sink.resolution = [&monitor](const StampResolution& r) { monitor.Report().SetResolution(r); };
    sink.row = [&monitor](MonitorRow&& row) {
        const std::string line = MonitorTraceFile::TextLine(row);
        const auto back = MonitorTraceFile::ParseTextLine(line, row.variant);
        if (!back || MonitorTraceFile::TextLine(*back) != line) Broken("a row does not read back", line);
        (void)MonitorText::Meaning(row);
        monitor.Add(std::move(row));
    };
    std::istringstream in(text);
    const MonitorTraceFile::ReadCounts counts = MonitorTraceFile::Read(in, sink);
    std::uint64_t lines = 0;
    std::istringstream again(text);
    for (std::string line; std::getline(again, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') ++lines;
    }
    if (counts.rows + counts.skippedLines != lines) Broken("rows and lines not understood do not add up", "");
    (void)monitor.Report().Json();
    return 0;
}
