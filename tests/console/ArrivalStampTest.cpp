#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

#include "support/PtyTester.h"
#include "settings/IniSettingsStore.h"
#include "line/LinkTap.h"
#include "console/TForm1.h"
#include "widgets/TUiColBitBtn.h"

namespace {

using Bytes = PtyTester::Bytes;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Sees every chunk as the console hands it to the emulator; when armed, it holds the main
// thread for 100 ms before the second chunk goes on to the emulator, as a busy window would.
class StallingTap : public LinkTap {
public:
    struct Chunk {
        int count;
        Clock::time_point arrival, handled;
    };

    void ChunkRead(const std::uint8_t*, int count, Clock::time_point arrival) override {
        if (stall && chunks.size() == 1) {
            std::this_thread::sleep_for(milliseconds(100));
        }
        chunks.push_back({count, arrival, Clock::now()});
    }
    bool FrameOut(const std::uint8_t*, int) override { return false; }

    bool stall = false;
    std::vector<Chunk> chunks;
};

// StartCommunication in two pieces 5 ms apart, the main thread held for 100 ms between them:
// the pieces arrived close together, so the request is whole and answered once. A loaded
// machine may delay the second piece past 40 ms or read both pieces as one chunk; such a
// round shows nothing and is run again.
TEST(ArrivalStamp, SplitRequestIsAnsweredOnceThoughTheMainThreadWasBusy) {
    QTemporaryDir dir;
    PtyTester tester;
    IniSettingsStore(dir.filePath("s.ini")).WriteString("MK-Vorta-Tester", "COM-Port", tester.DevicePath());
    StallingTap tap;
    ConsoleOptions options;
    QStringList messages;
    options.messageSink = [&](const QString& m) { messages << m; };
    options.linkTap = &tap;
    TForm1 form(options, std::make_unique<IniSettingsStore>(dir.filePath("s.ini")));
    form.findChild<TUiColBitBtn*>("UiColBitBtn2")->Click();  // ignition on

    const Bytes keys = {0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F};  // positive reply, keys 6B 8F
    bool shown = false;
    for (int round = 0; round < 5 && !shown; ++round) {
        QTest::qWait(100);  // anything left of an earlier round is stale by now
        tap.chunks.clear();
        tap.stall = true;
        std::thread sender([&] {
            tester.Send({0x81, 0x10, 0xF1});
            std::this_thread::sleep_for(milliseconds(5));
            tester.Send({0x81, 0x03});
        });
        const Bytes reply = tester.Reply();
        sender.join();
        const auto& c = tap.chunks;
        if (c.size() < 2 || c.back().arrival - c.front().arrival >= milliseconds(40)) continue;
        shown = true;
        EXPECT_EQ(reply, keys) << "round " << round;
        // The stamps are the arrivals: the last piece was handled well after the first
        // arrived, yet stamped when it came.
        EXPECT_GE(c.back().handled - c.front().arrival, milliseconds(100));
        EXPECT_LT(c.back().arrival, c.back().handled - milliseconds(50));
        // Nothing else came in answer: the next request's reply follows at once.
        EXPECT_EQ(tester.Exchange({0x81, 0x10, 0xF1, 0x3E, 0xC0}), (Bytes{0x81, 0xF1, 0x10, 0x7E, 0x00}));
    }
    EXPECT_TRUE(shown) << "no round had two pieces less than 40 ms apart";
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
}

}  // namespace
