#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <tuple>
#include <vector>

#include "protocol/SlowInitRecogniser.h"

namespace {

using TimePoint = SlowInitRecogniser::TimePoint;
using std::chrono::milliseconds;

struct Arrival {
    int atMs;
    std::vector<std::uint8_t> bytes;
};

// Feeds the arrivals (after a quiet line), checking before each as a caller does and at the
// end long after the last, and gives what was heard and when.
std::optional<SlowInitRecogniser::Heard> Hear(const std::vector<Arrival>& arrivals, bool frameInProgress = false) {
    SlowInitRecogniser recogniser;
    recogniser.SetAddresses({0x33, 0x10, 0x11});
    const TimePoint start = TimePoint{} + milliseconds(10000);
    std::optional<SlowInitRecogniser::Heard> heard;
    for (const Arrival& a : arrivals) {
        const TimePoint at = start + milliseconds(a.atMs);
        if (auto h = recogniser.Check(at)) heard = h;
        recogniser.Bytes(a.bytes.data(), a.bytes.size(), at, frameInProgress);
    }
    if (auto h = recogniser.Check(start + milliseconds(60000))) heard = h;
    if (heard) heard->end -= start.time_since_epoch();
    return heard;
}

TEST(SlowInitRecogniserTest, TellsAddressesByTheirBreaksOrAsALoneByte) {
    // what, the arrivals, the address heard (-1: nothing), when its init ended, a frame in progress
    const std::vector<std::tuple<const char*, std::vector<Arrival>, int, int, bool>> rows = {
        {"0x33 as breaks", {{0, {0}}, {600, {0}}, {1400, {0}}}, 0x33, 2000, false},
        {"0x10 as breaks", {{0, {0}}, {1200, {0}}}, 0x10, 2000, false},
        {"0x11 as breaks", {{0, {0}}, {400, {0}}, {1200, {0}}}, 0x11, 2000, false},
        {"0x33, edges 30 ms off", {{0, {0}}, {630, {0}}, {1370, {0}}}, 0x33, 2000, false},
        {"0x33, an edge 31 ms late", {{0, {0}}, {631, {0}}, {1400, {0}}}, -1, 0, false},
        {"0x10, second break 100 ms late", {{0, {0}}, {1300, {0}}}, -1, 0, false},
        {"0x11, middle break 100 ms early", {{0, {0}}, {300, {0}}, {1200, {0}}}, -1, 0, false},
        {"two zeros read together are one break", {{0, {0, 0}}, {1200, {0}}}, 0x10, 2000, false},
        {"a lone zero", {{0, {0}}}, -1, 0, false},
        {"fast-init wake-up and a frame", {{0, {0}}, {50, {0x81, 0x10, 0xF1, 0x81, 0x03}}}, -1, 0, false},
        {"a frame cuts the breaks short", {{0, {0}}, {600, {0}}, {900, {0x81}}, {1400, {0}}}, -1, 0, false},
        {"breaks without 300 ms of silence before", {{0, {0x81}}, {200, {0}}, {1400, {0}}}, -1, 0, false},
        {"lone 0x33", {{0, {0x33}}}, 0x33, 0, false},
        {"lone 0x11 after 300 ms of silence", {{0, {0x7E}}, {300, {0x11}}}, 0x11, 300, false},
        {"lone 0x10 after only 299 ms", {{0, {0x7E}}, {299, {0x10}}}, -1, 0, false},
        {"a byte follows within 50 ms", {{0, {0x33}}, {49, {0x01}}}, -1, 0, false},
        {"a byte 50 ms after it comes too late to matter", {{0, {0x33}}, {50, {0x01}}}, 0x33, 0, false},
        {"an address inside a chunk", {{0, {0x33, 0x33}}}, -1, 0, false},
        {"an address not served", {{0, {0x12}}}, -1, 0, false},
        {"an address inside a frame", {{0, {0x10}}}, -1, 0, true},
    };
    for (const auto& [what, arrivals, address, endMs, frameInProgress] : rows) {
        const auto heard = Hear(arrivals, frameInProgress);
        if (address < 0) {
            EXPECT_FALSE(heard) << what;
            continue;
        }
        ASSERT_TRUE(heard) << what;
        EXPECT_EQ(heard->address, address) << what;
        EXPECT_EQ(heard->end.time_since_epoch(), milliseconds(endMs)) << what;
    }
}

}  // namespace
