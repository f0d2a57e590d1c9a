#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/HexText.h"
#include "support/EmulatorHarness.h"
#include "protocol/LinkObserver.h"

namespace {

using std::chrono::milliseconds;

// Writes every observation down as one short line, so a table can list them in order.
class Recorder : public LinkObserver {
public:
    void RequestReceived(const std::uint8_t* frame, std::size_t n, const FrameArrival& a) override {
        const auto ms = [](auto d) { return std::to_string(std::chrono::duration_cast<milliseconds>(d).count()); };
        seen.push_back("frame " + HexText(frame, n) + " span " + ms(a.last - a.first) + " gaps " + ms(a.minGap) + ".." +
                       ms(a.maxGap));
    }
    void RequestUnanswered(UnansweredReason reason) override {
        static const char* const kNames[] = {"ignition off", "other address", "not started", "no service",
                                             "fault"};
        seen.push_back(std::string("unanswered: ") + kNames[static_cast<int>(reason)]);
    }
    void BytesIgnored(IgnoredBytes why, const std::uint8_t* bytes, std::size_t n,
                      FrameArrival::TimePoint) override {
        static const char* const kNames[] = {"ignition off", "wake-up", "not a frame start", "stale"};
        seen.push_back(std::string("ignored ") + kNames[static_cast<int>(why)] + ": " + HexText(bytes, n));
    }

    std::vector<std::string> seen;
};

struct Step {
    int afterMs;
    Bytes chunk;
    bool ignition = true;
};

struct Case {
    const char* what;
    EcuVariant variant;
    bool started;  // StartCommunication answered before the steps
    std::vector<Step> steps;
    std::vector<std::string> seen;
};

TEST(LinkObserverTest, TellsWhatBecameOfEveryByte) {
    const Bytes tp10 = {0x81, 0x10, 0xF1, 0x3E, 0xC0};
    const Bytes tp11 = {0x81, 0x11, 0xF1, 0x3E, 0xC1};
    const Bytes rd10 = {0x82, 0x10, 0xF1, 0x21, 0x07, 0xAB};  // local identifier 07: nobody serves it
    const auto ja5 = EcuVariant::Ja5;
    const std::vector<Case> cases = {
        {"answered: nothing but the frame", ja5, true, {{5, tp10}}, {"frame 81 10 F1 3E C0 span 0 gaps 0..0"}},
        {"ignition off: the chunk, no frame", ja5, true, {{5, tp10, false}}, {"ignored ignition off: 81 10 F1 3E C0"}},
        {"another address", ja5, true, {{5, tp11}},
         {"frame 81 11 F1 3E C1 span 0 gaps 0..0", "unanswered: other address"}},
        {"B7 serves 0x11", EcuVariant::B7, true, {{5, tp11}}, {"frame 81 11 F1 3E C1 span 0 gaps 0..0"}},
        {"before StartCommunication", ja5, false, {{5, tp10}},
         {"frame 81 10 F1 3E C0 span 0 gaps 0..0", "unanswered: not started"}},
        {"StartCommunication at an address the type does not serve", EcuVariant::BMP, false,
         {{5, {0x81, 0x10, 0xF1, 0x81, 0x03}}}, {"frame 81 10 F1 81 03 span 0 gaps 0..0", "unanswered: other address"}},
        {"no service", ja5, true, {{5, rd10}}, {"frame 82 10 F1 21 07 AB span 0 gaps 0..0", "unanswered: no service"}},
        {"frame without data names no service", ja5, true, {{5, {0x80, 0x10, 0xF1, 0x00, 0x81}}},
         {"frame 80 10 F1 00 81 span 0 gaps 0..0", "unanswered: no service"}},
        {"byte by byte: the gaps between the pieces", ja5, true,
         {{5, {0x81}}, {4, {0x10}}, {6, {0xF1}}, {5, {0x3E}}, {4, {0xC0}}}, {"frame 81 10 F1 3E C0 span 19 gaps 4..6"}},
        {"two pieces: bytes of one piece came together", ja5, true, {{5, {0x81, 0x10}}, {12, {0xF1, 0x3E, 0xC0}}},
         {"frame 81 10 F1 3E C0 span 12 gaps 0..12"}},
        {"wake-up zero alone", ja5, true, {{5, {0x00}}}, {"ignored wake-up: 00"}},
        {"wake-up zero with the frame behind it", ja5, true, {{5, Join({{0x00}, tp10})}},
         {"ignored wake-up: 00", "ignored not a frame start: 81 10 F1 3E C0"}},
        {"rubbish after a frame", ja5, true, {{5, Join({tp10, {0x05, 0x06}})}},
         {"frame 81 10 F1 3E C0 span 0 gaps 0..0", "ignored not a frame start: 05 06"}},
        {"partial frame dropped after 40 ms", ja5, true, {{5, {0x81, 0x10, 0xF1}}, {41, tp10}},
         {"ignored stale: 81 10 F1", "frame 81 10 F1 3E C0 span 0 gaps 0..0"}},
    };
    for (const Case& c : cases) {
        EmulatorHarness h(c.variant);
        if (c.started) h.Start();
        Recorder recorder;
        h.emulator.SetLinkObserver(&recorder);
        for (const Step& step : c.steps) {
            h.env.ignition = step.ignition;
            h.Chunk(step.chunk, step.afterMs);
        }
        EXPECT_EQ(recorder.seen, c.seen) << c.what;
    }
}

}  // namespace
