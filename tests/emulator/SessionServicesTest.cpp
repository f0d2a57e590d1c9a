#include <gtest/gtest.h>

#include "support/EmulatorHarness.h"

namespace {

using V = EcuVariant;

const Bytes kKeys10 = {0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F};  // C1 6B 8F
const Bytes kKeys11 = {0x83, 0xF1, 0x11, 0xC1, 0x6B, 0x8F, 0x40};
const Bytes kStopped10 = {0x81, 0xF1, 0x10, 0xC2, 0x44};           // C2
const Bytes kRefused31 = {0x83, 0xF1, 0x11, 0x7F, 0x83, 0x31, 0xB8};  // 7F 83 31
const Bytes kTimingEcho10 = {0x87, 0xF1, 0x10, 0xC3, 0x03, 0x1E, 0x50, 0x0A, 0x1E, 0x00, 0xE4};
const Bytes kTimingEcho11 = {0x87, 0xF1, 0x11, 0xC3, 0x03, 0x1E, 0x50, 0x0A, 0x1E, 0x00, 0xE5};
const Bytes kSessionAt11 = {0x82, 0xF1, 0x11, 0x50, 0x81, 0x55};   // 50 81, fixed
const Bytes kPresent10 = {0x81, 0xF1, 0x10, 0x7E, 0x00};           // 7E
const Bytes kPresent11 = {0x81, 0xF1, 0x11, 0x7E, 0x01};
const Bytes kTiming = {0x83, 0x03, 0x1E, 0x50, 0x0A, 0x1E, 0x00};  // 83 03 1E 50 0A 1E 00
const Bytes kTiming28 = {0x83, 0x03, 0x1E, 0x28, 0x0A, 0x1E, 0x00};
const Bytes kTiming33 = {0x83, 0x03, 0x1E, 0x33, 0x0A, 0x1E, 0x00};

TEST(SessionServicesTest, RepliesByTypeAddressAndState) {
    struct Row {
        V variant;
        bool active;  // communication started before the request
        std::uint8_t target;
        Bytes request, reply;
        bool activeAfter;
        std::uint8_t source = 0xF1;
    };
    const Row rows[] = {
        {V::Ja5, false, 0x10, {0x3E}, {}, false},
        {V::Ja5, false, 0x10, {0x82}, kStopped10, false},
        {V::Ja5, false, 0x33, {0x82}, {0x81, 0xF2, 0x33, 0xC2, 0x68}, false, 0xF2},  // C2 to F2 from 0x33
        {V::Ja5, false, 0x10, {0x81}, kKeys10, true},
        {V::Ja5, false, 0x10, {0x81}, kKeys10, true, 0xF2},  // always addressed to F1
        {V::Ja5, false, 0x11, {0x81}, {}, false},
        {V::B1, true, 0x10, {0x81}, kKeys10, true},
        {V::B7, false, 0x10, {0x81}, {0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3}, true},  // C1 EF 8F
        {V::B7, false, 0x11, {0x81}, kKeys11, true},
        {V::BMP, false, 0x10, {0x81}, {}, false},
        {V::BMP, false, 0x11, {0x81}, kKeys11, true},
        {V::Ja5, true, 0x10, {0x82}, kStopped10, true},  // the session goes on
        {V::Ja7, true, 0x10, kTiming, {0x83, 0xF1, 0x10, 0x7F, 0x83, 0x12, 0x98}, true},  // 7F 83 12
        {V::B7, true, 0x10, kTiming, kTimingEcho10, true},
        {V::b17, true, 0x10, kTiming, kTimingEcho10, true},
        {V::B7, true, 0x11, kTiming, kTimingEcho11, true},
        {V::BMP, true, 0x11, kTiming, kTimingEcho11, true},
        {V::BMP, true, 0x11, kTiming28, kRefused31, true},
        {V::BMP, true, 0x11, kTiming33, kRefused31, true},  // rather than an empty frame
        {V::Ja5, true, 0x11, kTiming, {}, true},
        {V::Ja5, true, 0x10, {0x10, 0x81}, {0x82, 0xF1, 0x10, 0x50, 0x81, 0x54}, true},
        {V::B7, true, 0x11, {0x10, 0x81}, kSessionAt11, true},
        {V::BMP, true, 0x11, {0x10, 0x81}, kSessionAt11, true},
        {V::BMP, true, 0x10, {0x10, 0x81}, {}, true},
        {V::Ja5, true, 0x10, {0x3E}, kPresent10, true},
        {V::Ja5, true, 0x10, {0x3E, 0x02}, kPresent10, true},  // answered although 02 asks for no reply
        {V::B7, true, 0x11, {0x3E}, kPresent11, true},
        {V::BMP, true, 0x10, {0x3E}, {}, true},
        {V::Ja7, true, 0x11, {0x3E}, {}, true},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        EmulatorHarness h(row.variant);
        if (row.active) h.Start();
        EXPECT_EQ(h.Send(row.request, row.target, row.source), row.reply) << "row " << i;
        EXPECT_EQ(h.emulator.CommunicationActive(), row.activeAfter) << "row " << i;
    }
}

TEST(SessionServicesTest, ResetFlagsEndsTheSession) {
    EmulatorHarness h;
    h.Start();
    h.emulator.ResetFlags();
    EXPECT_TRUE(h.Send({0x3E}).empty());
}

TEST(SessionServicesTest, EchoedReplyOverwritesTheStartOfRequestData) {
    EmulatorHarness h(V::B7);
    h.Start();
    EXPECT_EQ(h.Send({0x83, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06}),
              (Bytes{0x87, 0xF1, 0x10, 0xC3, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x60}));
    h.Chunk(kKeys10, 100);  // our own keys echoed: C1 6B 8F, answered by nothing
    EXPECT_TRUE(h.Replies().empty());
    EXPECT_EQ(h.Send({0x83}),  // bare 83: 6B 8F from the echo
              (Bytes{0x87, 0xF1, 0x10, 0xC3, 0x6B, 0x8F, 0x03, 0x04, 0x05, 0x06, 0x57}));
}

}  // namespace
