#include "protocol/LinkObserver.h"
#include "support/EmulatorHarness.h"

namespace {

using std::chrono::milliseconds;

// Writes every observation down as one short line, so a table can list them in order; a frame
// read in pieces names its span and the least and greatest gap between them.
class Recorder : public LinkObserver {
public:
    void RequestReceived(const std::uint8_t* frame, std::size_t n, const FrameArrival& a) override {
        const auto ms = [](auto d) { return std::to_string(std::chrono::duration_cast<milliseconds>(d).count()); };
        const bool pieces = a.last != a.first || a.maxGap.count() != 0;
        const std::string span = " span " + ms(a.last - a.first) + " gaps " + ms(a.minGap) + ".." + ms(a.maxGap);
        seen.push_back("frame " + HexText(frame, n) + (pieces ? span : ""));
    }
    void RequestUnanswered(UnansweredReason reason) override {
        static const char* const kNames[] = {"ignition off", "other address", "not started", "no service",
                                             "fault", "queue full"};
        seen.push_back(std::string("unanswered: ") + kNames[static_cast<int>(reason)]);
    }
    void BytesIgnored(IgnoredBytes why, const std::uint8_t* bytes, std::size_t n, FrameArrival::TimePoint) override {
        static const char* const kNames[] = {"ignition off", "wake-up", "not a frame start", "stale"};
        seen.push_back(std::string("ignored ") + kNames[static_cast<int>(why)] + ": " + HexText(bytes, n));
    }

    std::vector<std::string> seen;
};

struct Step {
    int afterMs;
    std::string chunk;
    bool ignition = true;
};

// Chunks in, and what became of their bytes out: the observer's lines, then the replies written.
TEST(LinkObserverTest, TellsWhatBecameOfEveryByte) {
    const std::string start = "81 10 F1 81 03", stop = "81 10 F1 82 04", present = "81 10 F1 3E C0";
    const std::string keys = "reply 83 F1 10 C1 6B 8F 3F", stopped = "reply 81 F1 10 C2 44";
    const auto ja5 = EcuVariant::Ja5;
    // the type, StartCommunication answered before the steps, the steps, what was seen
    using Case = std::tuple<EcuVariant, bool, std::vector<Step>, std::vector<std::string>>;
    const std::vector<Case> cases = {
        // whole frame in one chunk
        {ja5, false, {{0, start}}, {"frame " + start, keys}},
        // split in two, answered at the last byte; only the gap between the pieces is seen
        {ja5, false, {{0, "81 10 F1"}, {5, "81 03"}}, {"frame " + start + " span 5 gaps 5..5", keys}},
        // length-byte frame split inside its header
        {ja5, false, {{0, "80 10"}, {3, "F1"}, {3, "01 82"}, {3, "04"}},
         {"frame 80 10 F1 01 82 04 span 9 gaps 3..3", stopped}},
        // two frames in one chunk, both answered in order
        {ja5, false, {{0, start + " " + stop}}, {"frame " + start, "frame " + stop, keys, stopped}},
        // a chunk completes a frame and starts the next
        {ja5, false, {{0, start + " 81 10"}, {5, "F1 82 04"}},
         {"frame " + start, keys, "frame " + stop + " span 5 gaps 5..5", stopped}},
        // a fragment older than 40 ms is dropped
        {ja5, false, {{0, "81 10 F1"}, {41, stop}}, {"ignored stale: 81 10 F1", "frame " + stop, stopped}},
        // 40 ms exactly still continues
        {ja5, false, {{0, "81 10 F1"}, {40, "82 04"}}, {"frame " + stop + " span 40 gaps 40..40", stopped}},
        // wake-up zero before the frame: chunk ignored
        {ja5, false, {{0, "00 " + start}}, {"ignored wake-up: 00", "ignored not a frame start: " + start}},
        // bad format byte after a frame: rest ignored
        {ja5, false, {{0, start + " C1 " + stop}}, {"frame " + start, "ignored not a frame start: C1 " + stop, keys}},
        // continuation bytes are data, whatever their value; checksum not checked
        {ja5, false, {{0, "82 10 F1"}, {5, "82 00 05"}}, {"frame 82 10 F1 82 00 05 span 5 gaps 5..5", stopped}},
        // ignition-off chunk dropped, partial frame keeps waiting
        {ja5, false, {{0, "81 10 F1"}, {10, "81 03", false}, {10, "82 04"}},
         {"ignored ignition off: 81 03", "frame " + stop + " span 20 gaps 20..20", stopped}},
        // ignition-off chunk does not refresh the partial frame's time
        {ja5, false, {{0, "81 10 F1"}, {30, "00", false}, {30, "82 04"}},
         {"ignored ignition off: 00", "ignored stale: 81 10 F1"}},
        // long form after a stale fragment
        {ja5, false, {{0, "80"}, {60, "80 10 F1 01 82 04"}}, {"ignored stale: 80", "frame 80 10 F1 01 82 04", stopped}},
        // a frame without data names no service, and is not the previous request again
        {ja5, false, {{0, start + " 80 10 F1 00 81"}},
         {"frame " + start, "frame 80 10 F1 00 81", "unanswered: no service", keys}},
        // byte by byte: the gaps between the pieces
        {ja5, true, {{5, "81"}, {4, "10"}, {6, "F1"}, {5, "3E"}, {4, "C0"}},
         {"frame " + present + " span 19 gaps 4..6", "reply 81 F1 10 7E 00"}},
        // every other reason a request goes unanswered: the monitor report's table
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [variant, started, steps, seen] = cases[i];
        EmulatorHarness h(variant);
        if (started) h.Start();
        Recorder recorder;
        h.emulator.SetLinkObserver(&recorder);
        for (const Step& step : steps) {
            h.env.ignition = step.ignition;
            h.Chunk(Hex(step.chunk), step.afterMs);
            for (const Bytes& reply : h.Replies()) recorder.seen.push_back("reply " + HexText(reply));
        }
        EXPECT_EQ(recorder.seen, seen) << "case " << i;
    }
}

}  // namespace
