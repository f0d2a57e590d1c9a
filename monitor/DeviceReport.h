#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "monitor/MonitorRow.h"
#include "monitor/StampResolution.h"

// Grades the tester on the line from the monitor's rows: its pause before each request
// after our reply (P3), the gaps between the bytes of its requests (P4), how long it left
// an open link silent, how it started, and what it asked for. Rows come live or from a
// saved trace; either way the same rows give the same report.
class DeviceReport {
public:
    enum class Mark { NoData, Within, Outside, WrittenAtOnce };

    // A figure in milliseconds with the limit it is held against.
    struct Figure {
        std::optional<double> ms;
        std::optional<double> limitMinMs;
        std::optional<double> limitMaxMs;
        Mark mark = Mark::NoData;
    };

    struct Figures {
        Figure p3Min, p3Median, p4Min, p4Max, longestSilence;
        int starts = 0;                // StartCommunication requests
        int startsAfterWakeUp = 0;     // of them, right after a wake-up
        int requestsBeforeStart = 0;   // other requests before the first StartCommunication
        // Requests that came in one piece, with no gap to grade, and those that came in pieces,
        // whose gaps between the pieces P4 is graded on.
        int requestsInOnePiece = 0;
        int requestsInPieces = 0;
        std::map<std::string, int> requests;  // by service and local identifier, "21 01"
        int replies = 0;
        std::map<UnansweredReason, int> unanswered;
        int badChecksums = 0;          // requests
        int malformedHeaders = 0;      // bytes ignored at a frame start
        int partialFramesDropped = 0;
        int otherAddresses = 0;
        int wakeUps = 0;
        int slowInits = 0;             // 5-baud addresses heard
        Figure w4Min, w4Max;           // the tester's W4: our second key byte to its inverted one
        StampResolution resolution;
    };

    static constexpr double kP3MinMs = 55, kP3MaxMs = 5000, kP4MinMs = 5, kP4MaxMs = 20;
    static constexpr double kW4MinMs = 25, kW4MaxMs = 50;
    // "Written at once" takes nine requests in ten or more in one piece: a single late read
    // that merged a few bytes says nothing of how the tester writes.
    static constexpr double kWrittenAtOnceShare = 0.9;

    explicit DeviceReport(StampResolution resolution = StampResolution::ForDevice("pty"));

    void Add(const MonitorRow& row);
    // Counts afresh; the resolution stays.
    void Clear();
    void SetResolution(const StampResolution& resolution) { resolution_ = resolution; }
    const StampResolution& Resolution() const { return resolution_; }

    Figures Compute() const;
    // Every figure as one line of JSON.
    std::string Json() const;

    static const char* MarkName(Mark mark);
    static const char* ReasonName(UnansweredReason reason);

private:
    // P3 pauses in microseconds, 10 µs apart below 100 ms, 1 ms apart above, so that a
    // bench that runs for days keeps a fixed size.
    class Pauses {
    public:
        void Add(std::int64_t us);
        std::optional<double> MinMs() const;
        std::optional<double> MedianMs() const;

    private:
        static constexpr int kFine = 10000, kCoarse = 9900;
        std::vector<std::uint32_t> bins_ = std::vector<std::uint32_t>(kFine + kCoarse + 1);
        std::uint64_t count_ = 0;
        std::int64_t min_ = 0;
    };

    StampResolution resolution_;
    Pauses p3_;
    std::optional<std::int64_t> p4MinUs_, p4MaxUs_;
    std::optional<std::int64_t> longestSilenceUs_;
    std::optional<std::int64_t> w4MinUs_, w4MaxUs_;
    std::optional<std::int64_t> keyByteUs_;  // our last key byte of a slow init
    std::optional<std::int64_t> replyEndUs_;     // waiting for the tester's next request
    std::optional<std::int64_t> lastActivityUs_; // while communication is active
    bool lastWasWakeUp_ = false;
    bool started_ = false;
    Figures counts_;
};
