#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "emulator/SlowInitSession.h"

namespace {

using TimePoint = SlowInitSession::TimePoint;
using std::chrono::milliseconds;

TimePoint At(int ms) { return TimePoint{} + milliseconds(ms); }

// Our own bytes heard back on a single wire are passed over; anything else but the inverted
// key byte ends the init. Unanswered, it ends a second after the key bytes; open, after P3max.
TEST(SlowInitSessionTest, EchoWrongBytesAndTheEndsOfAnInit) {
    const struct {
        std::vector<std::uint8_t> tester;
        bool opened;
    } rows[] = {{{0x55, 0x08, 0x08, 0xF7}, true}, {{0xF8, 0xF7}, false}, {{0x08, 0xF7}, false}};
    const SlowInitTiming timing;
    for (const auto& row : rows) {
        SlowInitSession session;
        session.Begin(0x33, {0x08, 0x08}, SlowInitLink::Iso9141, At(0), timing);
        for (const std::uint8_t byte : row.tester) session.TesterByte(byte, At(200), timing);
        EXPECT_EQ(session.Active(), row.opened) << int(row.tester[0]);
    }
    SlowInitSession session;
    const TimePoint kb2 = session.Begin(0x10, {0xEF, 0x8F}, SlowInitLink::Kwp, At(0), timing)[2].moment;
    EXPECT_FALSE(session.Expire(kb2 + SlowInitSession::kInvertedKeyWait - milliseconds(1)));
    EXPECT_TRUE(session.Expire(kb2 + SlowInitSession::kInvertedKeyWait));
    session.Begin(0x10, {0xEF, 0x8F}, SlowInitLink::Kwp, At(0), timing);
    ASSERT_TRUE(session.TesterByte(0x70, At(500), timing));
    session.RequestRead(At(3000));
    EXPECT_FALSE(session.Expire(At(7999)));
    EXPECT_TRUE(session.Expire(At(8000)));
    EXPECT_FALSE(session.Active());
}

}  // namespace
