#include "support/EmulatorHarness.h"

using Ms = std::chrono::milliseconds;

const Bytes kPresent = Hex("81 10 F1 3E C0");  // TesterPresent, answered 81 F1 10 7E 00
const Bytes kStop = Hex("81 10 F1 82 04");     // StopCommunication, answered 81 F1 10 C2 44

// While a reply waits to leave, completed requests wait too, and are answered in their order
// once it has gone, each with the moment its own last byte was read.
TEST(RequestHolding, RequestsCompletedWhileAReplyWaitsAreAnsweredAfterIt) {
    EmulatorHarness h;
    h.Start();
    h.env.answering.clear();
    const auto start = h.now;
    h.env.replyWaiting = true;
    h.Chunk(kPresent, 5);
    h.Chunk(Join({kStop, kPresent}), 7);  // two requests in one chunk
    EXPECT_TRUE(h.Replies().empty());
    EXPECT_EQ(h.emulator.HeldRequests(), 3);
    EXPECT_TRUE(h.env.answering.empty());

    h.env.holdAfterEachReply = true;  // each answer waits in its turn
    const std::pair<const char*, Ms> order[] = {{"81 F1 10 7E 00", Ms(5)}, {"81 F1 10 C2 44", Ms(12)},
                                                {"81 F1 10 7E 00", Ms(12)}};
    for (std::size_t i = 0; i < std::size(order); ++i) {
        h.env.replyWaiting = false;
        h.emulator.ReplyGone();
        EXPECT_EQ(HexFrames(h.Replies()), order[i].first) << "reply " << i;
        ASSERT_EQ(h.env.answering.size(), i + 1);
        EXPECT_EQ(h.env.answering[i] - start, order[i].second) << "reply " << i;
    }
    EXPECT_EQ(h.emulator.HeldRequests(), 0);
    h.env.replyWaiting = false;
    h.emulator.ReplyGone();  // a late notice with nothing held does nothing
    EXPECT_TRUE(h.Replies().empty());
}

TEST(RequestHolding, ANoticeLostOrLateDoesNotStrandHeldRequests) {
    EmulatorHarness h;
    h.Start();
    h.env.replyWaiting = true;
    h.Chunk(kPresent);
    EXPECT_TRUE(h.Replies().empty());
    // The reply went, but the next chunk comes before the notice: both requests answered.
    h.env.replyWaiting = false;
    h.Chunk(kStop);
    EXPECT_EQ(HexFrames(h.Replies()), "81 F1 10 7E 00 | 81 F1 10 C2 44");
    // Start-up forgets what was held.
    h.env.replyWaiting = true;
    h.Chunk(kPresent);
    h.emulator.ResetFlags();
    h.env.replyWaiting = false;
    h.emulator.ReplyGone();
    EXPECT_TRUE(h.Replies().empty());
    EXPECT_EQ(h.emulator.HeldRequests(), 0);
}
