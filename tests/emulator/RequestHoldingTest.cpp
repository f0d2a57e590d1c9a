#include "support/EmulatorHarness.h"

using Ms = std::chrono::milliseconds;

Bytes Request(const Bytes& data) {
    return BuildFrame(0x10, 0xF1, data.data(), data.size(), FrameForm::BySize);
}

const Bytes kPresentReply = {0x81, 0xF1, 0x10, 0x7E, 0x00};
const Bytes kStopReply = {0x81, 0xF1, 0x10, 0xC2, 0x44};

// While a reply waits to leave, completed requests wait too, and are answered in their order
// once it has gone, each with the moment its own last byte was read.
TEST(RequestHolding, RequestsCompletedWhileAReplyWaitsAreAnsweredAfterIt) {
    EmulatorHarness h;
    h.Start();
    h.env.answering.clear();
    const auto start = h.now;
    h.env.replyWaiting = true;
    h.Chunk(Request({0x3E}), 5);
    h.Chunk(Join({Request({0x82}), Request({0x3E, 0x01})}), 7);  // two requests in one chunk
    EXPECT_TRUE(h.Replies().empty());
    EXPECT_EQ(h.emulator.HeldRequests(), 3);
    EXPECT_TRUE(h.env.answering.empty());

    h.env.holdAfterEachReply = true;  // each answer waits in its turn
    const std::pair<Bytes, Ms> order[] = {{kPresentReply, Ms(5)}, {kStopReply, Ms(12)}, {kPresentReply, Ms(12)}};
    for (std::size_t i = 0; i < std::size(order); ++i) {
        h.env.replyWaiting = false;
        h.emulator.ReplyGone();
        EXPECT_EQ(h.Replies(), std::vector<Bytes>{order[i].first}) << "reply " << i;
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
    h.Chunk(Request({0x3E}));
    EXPECT_TRUE(h.Replies().empty());
    // The reply went, but the next chunk comes before the notice: both requests answered.
    h.env.replyWaiting = false;
    h.Chunk(Request({0x82}));
    EXPECT_EQ(h.Replies(), (std::vector<Bytes>{kPresentReply, kStopReply}));
    // Start-up forgets what was held.
    h.env.replyWaiting = true;
    h.Chunk(Request({0x3E}));
    h.emulator.ResetFlags();
    h.env.replyWaiting = false;
    h.emulator.ReplyGone();
    EXPECT_TRUE(h.Replies().empty());
    EXPECT_EQ(h.emulator.HeldRequests(), 0);
}
