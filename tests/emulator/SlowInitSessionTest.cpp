#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "emulator/SlowInitSession.h"

namespace {

using TimePoint = SlowInitSession::TimePoint;
using std::chrono::milliseconds;

TimePoint At(int ms) { return TimePoint{} + milliseconds(ms); }

TEST(SlowInitSessionTest, KeyBytesThenInvertedAddressAfterTheTestersAnswer) {
    struct Row {
        const char* what;
        std::vector<std::uint8_t> tester;  // from 1200 ms on, a byte each 10 ms
        bool opened;
        int invertedAtMs;
    };
    const std::vector<Row> rows = {
        {"the tester's F7", {0xF7}, true, 1230},
        {"our own bytes heard back first", {0x55, 0x08, 0x08, 0xF7}, true, 1260},
        {"a wrong inverted key byte", {0xF8, 0xF7}, false, 0},
        {"an echo out of order", {0x08, 0xF7}, false, 0},
    };
    const SlowInitTiming timing{100, 30};
    for (const Row& row : rows) {
        SlowInitSession session;
        const auto sent = session.Begin(0x33, {0x08, 0x08}, SlowInitLink::Iso9141, At(1000), timing);
        EXPECT_EQ(sent[0].byte, 0x55);
        EXPECT_EQ(sent[0].moment, At(1100)) << "W1 after the address";
        EXPECT_EQ(sent[1].moment, At(1100 + SlowInitTiming::kW2Ms));
        EXPECT_EQ(sent[2].moment, At(1100 + SlowInitTiming::kW2Ms + SlowInitTiming::kW3Ms));
        std::optional<SlowInitSession::TimedByte> inverted;
        int at = 1200;
        for (const std::uint8_t byte : row.tester) {
            if (!inverted) inverted = session.TesterByte(byte, At(at), timing);
            at += 10;
        }
        EXPECT_EQ(session.Active(), row.opened) << row.what;
        ASSERT_EQ(inverted.has_value(), row.opened) << row.what;
        if (inverted) {
            EXPECT_EQ(inverted->byte, 0xCC) << row.what;
            EXPECT_EQ(inverted->moment, At(row.invertedAtMs)) << row.what;
        }
    }
}

TEST(SlowInitSessionTest, EndsWithoutTheTesterOrAfterP3) {
    const SlowInitTiming timing;
    SlowInitSession session;
    session.Begin(0x10, {0xEF, 0x8F}, SlowInitLink::Kwp, At(0), timing);
    const TimePoint kb2 = At(timing.w1Ms + SlowInitTiming::kW2Ms + SlowInitTiming::kW3Ms);
    EXPECT_FALSE(session.Expire(kb2 + SlowInitSession::kInvertedKeyWait - milliseconds(1)));
    EXPECT_TRUE(session.Expire(kb2 + SlowInitSession::kInvertedKeyWait));
    EXPECT_FALSE(session.Active());

    session.Begin(0x10, {0xEF, 0x8F}, SlowInitLink::Kwp, At(0), timing);
    const auto inverted = session.TesterByte(0x70, At(500), timing);
    ASSERT_TRUE(inverted);
    EXPECT_EQ(inverted->byte, 0xEF);
    session.RequestRead(At(3000));
    EXPECT_FALSE(session.Expire(At(7999)));
    EXPECT_TRUE(session.Active());
    EXPECT_TRUE(session.Expire(At(8000)));
    EXPECT_FALSE(session.Active());
}

}  // namespace
