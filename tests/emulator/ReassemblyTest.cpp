#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/EmulatorHarness.h"

namespace {

const Bytes kStart = {0x81, 0x10, 0xF1, 0x81, 0x03};                // 81 to 0x10
const Bytes kStop = {0x81, 0x10, 0xF1, 0x82, 0x04};                 // 82 to 0x10
const Bytes kStopLong = {0x80, 0x10, 0xF1, 0x01, 0x82, 0x04};       // 82, length byte
const Bytes kKeys = {0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F};     // C1 6B 8F
const Bytes kStopped = {0x81, 0xF1, 0x10, 0xC2, 0x44};              // C2

struct Step {
    int afterMs;
    Bytes chunk;
    std::vector<Bytes> replies;  // written in answer to this chunk
    bool ignition = true;
};

TEST(ReassemblyTest, ChunksBecomeFrames) {
    struct Row {
        const char* what;
        std::vector<Step> steps;
    };
    const std::vector<Row> rows = {
        {"whole frame in one chunk", {{0, kStart, {kKeys}}}},
        {"split in two, answered at the last byte",
         {{0, {0x81, 0x10, 0xF1}, {}}, {5, {0x81, 0x03}, {kKeys}}}},
        {"length-byte frame split inside its header",
         {{0, {0x80, 0x10}, {}}, {3, {0xF1}, {}}, {3, {0x01, 0x82}, {}}, {3, {0x04}, {kStopped}}}},
        {"two frames in one chunk, both answered in order", {{0, Join({kStart, kStop}), {kKeys, kStopped}}}},
        {"a chunk completes a frame and starts the next",
         {{0, Join({kStart, {0x81, 0x10}}), {kKeys}}, {5, {0xF1, 0x82, 0x04}, {kStopped}}}},
        {"a fragment older than 40 ms is dropped",  // else 81 10 F1 + 81 10 would read as 81
         {{0, {0x81, 0x10, 0xF1}, {}}, {41, kStop, {kStopped}}}},
        {"40 ms exactly still continues", {{0, {0x81, 0x10, 0xF1}, {}}, {40, {0x82, 0x04}, {kStopped}}}},
        {"wake-up zero before the frame: chunk ignored", {{0, Join({{0x00}, kStart}), {}}}},
        {"bad format byte after a frame: rest ignored", {{0, Join({kStart, {0xC1}, kStop}), {kKeys}}}},
        {"continuation bytes are data, whatever their value; checksum not checked",
         {{0, {0x82, 0x10, 0xF1}, {}}, {5, {0x82, 0x00, 0x05}, {kStopped}}}},
        {"ignition-off chunk dropped, partial frame keeps waiting",
         {{0, {0x81, 0x10, 0xF1}, {}}, {10, {0x81, 0x03}, {}, false}, {10, {0x82, 0x04}, {kStopped}}}},
        {"ignition-off chunk does not refresh the partial frame's time",
         {{0, {0x81, 0x10, 0xF1}, {}}, {30, {0x00}, {}, false}, {30, {0x82, 0x04}, {}}}},
        {"long form after a stale fragment", {{0, {0x80}, {}}, {60, kStopLong, {kStopped}}}},
        {"a frame without data is not the previous request again",
         {{0, Join({kStart, {0x80, 0x10, 0xF1, 0x00, 0x81}}), {kKeys}}}},
    };
    for (const auto& row : rows) {
        EmulatorHarness h;
        for (std::size_t i = 0; i < row.steps.size(); ++i) {
            const Step& step = row.steps[i];
            h.env.ignition = step.ignition;
            h.Chunk(step.chunk, step.afterMs);
            EXPECT_EQ(h.Replies(), step.replies) << row.what << ", chunk " << i;
        }
    }
}

// The port stamps each chunk when it arrives; the main thread may handle it much later.
TEST(ReassemblyTest, StampedChunksAreJudgedOnTheirArrival) {
    struct Row {
        const char* what;
        int handledAfterMs, arrivedAfterMs;
        bool answered;
    } rows[] = {
        {"handled late, arrived 5 ms apart", 100, 5, true},
        {"handled at once, arrived 41 ms apart", 5, 41, false},
        {"arrived 40 ms apart", 100, 40, true},
    };
    for (const Row& row : rows) {
        EmulatorHarness h;
        const auto first = std::chrono::steady_clock::time_point{} + std::chrono::seconds(7);
        h.env.arrival = first;
        h.Chunk({0x81, 0x10, 0xF1});
        h.env.arrival = first + std::chrono::milliseconds(row.arrivedAfterMs);
        h.Chunk({0x81, 0x03}, row.handledAfterMs);
        EXPECT_EQ(h.Replies(), row.answered ? std::vector<Bytes>{kKeys} : std::vector<Bytes>{}) << row.what;
    }
}

TEST(ReassemblyTest, LampsAndLogFollowTheIgnition) {
    EmulatorHarness h;
    h.env.ignition = false;
    h.Chunk(kStart);
    EXPECT_TRUE(h.env.LampOn(Lamp::UiLED1));
    EXPECT_FALSE(h.env.LampOn(Lamp::UiLED2));
    EXPECT_TRUE(h.env.log.empty());
    EXPECT_TRUE(h.Replies().empty());

    h.env.ignition = true;
    h.Chunk({0x81, 0x10, 0xF1});
    h.Chunk({0x81, 0x03});
    EXPECT_TRUE(h.env.LampOn(Lamp::UiLED2));
    // every chunk as read, two blanks after the arrow
    EXPECT_EQ(h.env.log, (std::vector<std::string>{" - >  81 10 F1", " - >  81 03"}));
}

TEST(ReassemblyTest, OversizedEventIsReadInPieces) {
    // 300 StopCommunication frames, 1500 bytes: one piece of 1024 cuts frame 205 in two.
    EmulatorHarness h;
    Bytes stream;
    for (int i = 0; i < 300; ++i) stream.insert(stream.end(), kStop.begin(), kStop.end());
    h.Chunk(stream);
    EXPECT_EQ(h.env.log.size(), 2u);
    EXPECT_EQ(h.Replies(), std::vector<Bytes>(300, kStopped));
    EXPECT_FALSE(h.emulator.SplitFramePending());
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
    const Bytes stream = Join({
        {0x81, 0x10, 0xF1, 0x3E, 0xC0},                          // 3E before 81: unanswered
        kStart,
        {0x81, 0x10, 0xF1, 0x3E, 0xC0},                          // 3E
        {0x80, 0x10, 0xF1, 0x02, 0x3E, 0x02, 0xC3},              // 3E 02, length byte
        {0x87, 0x10, 0xF1, 0x83, 0x03, 0x1E, 0x50, 0x0A, 0x1E, 0x00, 0xA4},  // 83: refused
        {0x82, 0x10, 0xF1, 0x10, 0x81, 0x14},                    // 10 81
        {0x80, 0x10, 0xF1, 0x00, 0x81},                          // no data bytes
        kStop,
        {0x81, 0x11, 0xF1, 0x3E, 0xC1},                          // 3E to 0x11: not served
        kStopLong,
    });
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
        std::size_t at = 0;
        while (at < stream.size()) {
            const std::size_t n = std::uniform_int_distribution<std::size_t>(1, 12)(rng);
            const auto end = stream.begin() + static_cast<std::ptrdiff_t>(std::min(stream.size(), at + n));
            split.Chunk(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(at), end),
                        std::uniform_int_distribution<int>(0, 39)(rng));
            at = static_cast<std::size_t>(end - stream.begin());
        }
        ASSERT_EQ(split.Replies(), expected) << "seed " << seed << ", trial " << trial;
    }
}

}  // namespace
