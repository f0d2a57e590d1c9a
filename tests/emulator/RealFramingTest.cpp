#include <gtest/gtest.h>

#include <numeric>

#include "support/EmulatorHarness.h"

namespace {

using V = EcuVariant;

// The same request answered by a compact and by a real controller of each type: the data
// are the same, only the header of the positive 21 replies differs.
TEST(RealFraming, LiveDataRepliesTakeTheLongHeaderForEveryType) {
    struct Row {
        V variant;
        Bytes request;
        Bytes compactHead;  // format byte, target, source (and length byte), first data byte
        Bytes realHead;
        std::size_t dataBytes;
    };
    const Row rows[] = {
        {V::Ja5, {0x21, 0x01}, {0xA2, 0xF1, 0x10, 0x61}, {0x80, 0xF1, 0x10, 0x22, 0x61}, 34},
        {V::B1, {0x21, 0x01}, {0xA4, 0xF1, 0x10, 0x61}, {0x80, 0xF1, 0x10, 0x24, 0x61}, 36},
        // 43 bytes in all: how a desktop tester tells a Январь 7 from the rest.
        {V::Ja7, {0x21, 0x01}, {0xA6, 0xF1, 0x10, 0x61}, {0x80, 0xF1, 0x10, 0x26, 0x61}, 38},
        {V::B7, {0x21, 0x01}, {0x80, 0xF1, 0x10, 0x4A, 0x61}, {0x80, 0xF1, 0x10, 0x4A, 0x61}, 74},
        {V::BMP, {0x21, 0x01}, {0xA6, 0xF1, 0x11, 0x61}, {0x80, 0xF1, 0x11, 0x26, 0x61}, 38},
        {V::b17, {0x21, 0x01}, {0xBC, 0xF1, 0x10, 0x61}, {0x80, 0xF1, 0x10, 0x3C, 0x61}, 60},
        // 21 02 has the long header already; 21 03 gets it too.
        {V::Ja5, {0x21, 0x02}, {0x80, 0xF1, 0x10, 0x1A, 0x61}, {0x80, 0xF1, 0x10, 0x1A, 0x61}, 26},
        {V::B1, {0x21, 0x03}, {0x8C, 0xF1, 0x10, 0x61}, {0x80, 0xF1, 0x10, 0x0C, 0x61}, 12},
        {V::Ja7, {0x21, 0x03}, {0x8D, 0xF1, 0x10, 0x61}, {0x80, 0xF1, 0x10, 0x0D, 0x61}, 13},
        {V::B7, {0x21, 0x03}, {0x92, 0xF1, 0x10, 0x61}, {0x80, 0xF1, 0x10, 0x12, 0x61}, 18},
        // A refusal is no positive reply: it keeps the short header.
        {V::B7, {0x21, 0x02}, {0x83, 0xF1, 0x10, 0x7F}, {0x83, 0xF1, 0x10, 0x7F}, 3},
        {V::b17, {0x21, 0x03}, {0x83, 0xF1, 0x10, 0x7F}, {0x83, 0xF1, 0x10, 0x7F}, 3},
    };
    EmulatorHarness h;
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "type " << static_cast<int>(row.variant) << " 21 "
                                        << static_cast<int>(row.request[1]));
        h.env.variant = row.variant;
        h.env.framing = ReplyFraming::Compact;
        const Bytes compact = h.Ask(row.request);
        h.env.framing = ReplyFraming::Real;
        const Bytes real = h.Ask(row.request);
        ASSERT_GE(compact.size(), row.compactHead.size());
        ASSERT_GE(real.size(), row.realHead.size());
        EXPECT_EQ(Bytes(compact.begin(), compact.begin() + row.compactHead.size()), row.compactHead);
        EXPECT_EQ(Bytes(real.begin(), real.begin() + row.realHead.size()), row.realHead);
        EXPECT_EQ(real.size(), row.dataBytes + row.realHead.size());  // header, data, checksum
        EXPECT_EQ(Data(real), Data(compact));
        EXPECT_EQ(std::accumulate(real.begin(), real.end() - 1, 0u) % 256, real.back());
    }
}

// Session, actuator, identification and trouble-code replies stay in the short form.
TEST(RealFraming, EveryOtherReplyIsFramedAsBefore) {
    const Bytes requests[] = {
        {0x81}, {0x3E}, {0x10, 0x81}, {0x83, 0x03, 0x1E, 0x50, 0x0A, 0x1E, 0x00}, {0x30, 0x09, 0x06, 0x01},
        {0x30, 0x41, 0x07, 0x80}, {0x1A, 0x9A}, {0x18, 0x00, 0xFF, 0x00}, {0x14, 0x00, 0x00}, {0x11, 0x01},
        {0x82},
    };
    for (const V variant : {V::Ja5, V::B1, V::Ja7, V::B7, V::BMP, V::b17}) {
        EmulatorHarness compact(variant);
        EmulatorHarness real(variant);
        real.env.framing = ReplyFraming::Real;
        for (const Bytes& request : requests) {
            EXPECT_EQ(real.Ask(request), compact.Ask(request))
                << "type " << static_cast<int>(variant) << " service " << static_cast<int>(request[0]);
        }
        // StartCommunication answered, so the short C1 (and C2, 7E, 50, 70) replies were compared.
        EXPECT_TRUE(real.emulator.CommunicationActive());
    }
}

}  // namespace
