#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <tuple>

#include "support/EmulatorHarness.h"

// How chunks become frames, row by row, the link observer's table shows with the replies.

namespace {

const Bytes kStart = Hex("81 10 F1 81 03");  // 81 to 0x10
const Bytes kStop = Hex("81 10 F1 82 04");   // 82 to 0x10
const Bytes kKeys = Hex("83 F1 10 C1 6B 8F 3F");  // C1 6B 8F
const Bytes kStopped = Hex("81 F1 10 C2 44");     // C2

// The port stamps each chunk when it arrives; the main thread may handle it much later.
TEST(ReassemblyTest, StampedChunksAreJudgedOnTheirArrival) {
    const std::tuple<int, int, bool> rows[] = {  // handled after, arrived after (ms), answered
        {100, 5, true}, {5, 41, false}, {100, 40, true}};
    for (const auto& [handledAfterMs, arrivedAfterMs, answered] : rows) {
        EmulatorHarness h;
        h.env.arrival = std::chrono::steady_clock::time_point{};
        h.Chunk({0x81, 0x10, 0xF1});
        *h.env.arrival += std::chrono::milliseconds(arrivedAfterMs);
        h.Chunk({0x81, 0x03}, handledAfterMs);
        EXPECT_EQ(h.Replies(), answered ? std::vector<Bytes>{kKeys} : std::vector<Bytes>{}) << arrivedAfterMs;
    }
}

// The request and reply lamps with the ignition the console's end-to-end live-block test follows.
TEST(ReassemblyTest, LogFollowsTheIgnition) {
    EmulatorHarness h;
    h.env.ignition = false;
    h.Chunk(kStart);
    h.env.ignition = true;
    h.Chunk({0x81, 0x10, 0xF1});
    h.Chunk({0x81, 0x03});
    // every chunk as read while the ignition is on, two blanks after the arrow
    EXPECT_EQ(h.env.log, (std::vector<std::string>{" - >  81 10 F1", " - >  81 03"}));
}

TEST(ReassemblyTest, FailedReplyDropsTheRestOfItsChunk) {
    EmulatorHarness h;
    h.env.writeError = "Write error (5), Input/output error";
    EXPECT_THROW(h.Chunk(Join({kStart, kStop, {0x81, 0x10}})), std::runtime_error);
    EXPECT_TRUE(h.emulator.CommunicationActive());  // the keys were composed before the write failed
    EXPECT_FALSE(h.emulator.SplitFramePending());
    h.env.writeError.clear();
    h.Chunk({0xF1, 0x82, 0x04}, 5);  // tail of the dropped frame: no frame start
    EXPECT_TRUE(h.Replies().empty());
    h.Chunk(kStop, 60);
    EXPECT_EQ(h.Replies(), std::vector<Bytes>{kStopped});
}

// Any split of a request stream into chunks, with every gap under 40 ms, gets exactly the
// replies of the whole stream in one chunk.
TEST(ReassemblyTest, AnySplitGivesTheRepliesOfTheWholeStream) {
    // 3E before 81: unanswered; 81; 3E; 3E 02 with a length byte; 83 refused; 10 81; a frame without
    // data; 82; 3E to 0x11, not served; 82 with a length byte.
    const Bytes stream = Hex(
        "81 10 F1 3E C0 81 10 F1 81 03 81 10 F1 3E C0 80 10 F1 02 3E 02 C3 87 10 F1 83 03 1E 50 0A 1E 00 A4"
        " 82 10 F1 10 81 14 80 10 F1 00 81 81 10 F1 82 04 81 11 F1 3E C1 80 10 F1 01 82 04");
    EmulatorHarness whole;
    whole.Chunk(stream);
    const std::vector<Bytes> expected = whole.Replies();
    ASSERT_EQ(expected.size(), 7u);

    // VORTA_SPLIT_SEED repeats a run.
    const char* given = std::getenv("VORTA_SPLIT_SEED");
    const std::uint32_t seed = given != nullptr ? static_cast<std::uint32_t>(std::strtoul(given, nullptr, 10))
                                                : std::random_device{}();
    std::printf("split seed %u (VORTA_SPLIT_SEED=%u repeats it)\n", seed, seed);
    std::mt19937 rng(seed);
    for (int trial = 0; trial < 500; ++trial) {
        EmulatorHarness split;
        for (std::size_t at = 0, n = 0; at < stream.size(); at += n) {
            n = std::min(stream.size() - at, std::uniform_int_distribution<std::size_t>(1, 12)(rng));
            const int gapMs = std::uniform_int_distribution<int>(0, 39)(rng);
            split.Chunk(Bytes(stream.begin() + at, stream.begin() + at + n), gapMs);
        }
        ASSERT_EQ(split.Replies(), expected) << "seed " << seed << ", trial " << trial;
    }
}

}  // namespace
