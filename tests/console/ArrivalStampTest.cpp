#include <chrono>
#include <thread>
#include <vector>

#include "ConsoleOnPty.h"
#include "line/LinkTap.h"
#include "widgets/TUiColBitBtn.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Sees every chunk as the console hands it to the emulator; when armed, it holds the main
// thread for 100 ms before the second chunk goes on to the emulator, as a busy window would.
class StallingTap : public LinkTap {
public:
    struct Chunk {
        Clock::time_point arrival, handled;
    };

    void ChunkRead(const std::uint8_t*, int, Clock::time_point arrival) override {
        if (chunks.size() == 1) std::this_thread::sleep_for(milliseconds(100));
        chunks.push_back({arrival, Clock::now()});
    }
    bool FrameOut(const std::uint8_t*, int) override { return false; }

    std::vector<Chunk> chunks;
};

using ArrivalStamp = ConsoleOnPty;

// StartCommunication in two pieces 5 ms apart, the main thread held for 100 ms between them:
// the pieces arrived close together, so the request is whole and answered once. A loaded
// machine may delay the second piece past 40 ms or read both pieces as one chunk; such a
// round shows nothing and is run again.
TEST_F(ArrivalStamp, SplitRequestIsAnsweredOnceThoughTheMainThreadWasBusy) {
    StallingTap tap;
    ConsoleOptions options;
    options.linkTap = &tap;
    Start({}, options);
    Find<TUiColBitBtn>("UiColBitBtn2")->Click();  // ignition on
    bool shown = false;
    for (int round = 0; round < 5 && !shown; ++round) {
        QTest::qWait(100);  // anything left of an earlier round is stale by now
        tap.chunks.clear();
        std::thread sender([&] {
            tester_.Send({0x81, 0x10, 0xF1});
            std::this_thread::sleep_for(milliseconds(5));
            tester_.Send({0x81, 0x03});
        });
        const Bytes reply = tester_.Reply();
        sender.join();
        const auto& c = tap.chunks;
        if (c.size() < 2 || c.back().arrival - c.front().arrival >= milliseconds(40)) continue;
        shown = true;
        // 83 F1 10 C1 6B 8F 3F: the positive reply, keys 6B 8F
        EXPECT_EQ(reply, (Bytes{0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F})) << "round " << round;
        // The stamps are the arrivals: the last piece was handled well after the first
        // arrived, yet stamped when it came.
        EXPECT_GE(c.back().handled - c.front().arrival, milliseconds(100));
        EXPECT_LT(c.back().arrival, c.back().handled - milliseconds(50));
        // Nothing else came in answer: the next request's reply follows at once.
        EXPECT_EQ(tester_.Exchange({0x81, 0x10, 0xF1, 0x3E, 0xC0}), (Bytes{0x81, 0xF1, 0x10, 0x7E, 0x00}));
    }
    EXPECT_TRUE(shown) << "no round had two pieces less than 40 ms apart";
    form_.reset();  // before the tap goes
}

}  // namespace
