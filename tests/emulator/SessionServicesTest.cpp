#include <tuple>

#include "support/EmulatorHarness.h"

using V = EcuVariant;

// Each row on a fresh emulator, every other one framing its replies as a real controller does:
// only live data take another header, so these replies are the same either way.
TEST(SessionServicesTest, RepliesByTypeAddressAndState) {
    const char* const kKeys10 = "83 F1 10 C1 6B 8F 3F";  // C1 6B 8F
    const char* const kKeys11 = "83 F1 11 C1 6B 8F 40";
    const char* const kStopped10 = "81 F1 10 C2 44";  // C2
    const char* const kRefused31 = "83 F1 11 7F 83 31 B8";  // 7F 83 31
    const Bytes kTiming = {0x83, 0x03, 0x1E, 0x50, 0x0A, 0x1E, 0x00};
    // The type, communication started before the request, target, request, reply, communication
    // on after it, the tester's address.
    const std::tuple<V, bool, std::uint8_t, Bytes, const char*, bool, std::uint8_t> rows[] = {
        {V::Ja5, false, 0x10, {0x3E}, "", false, 0xF1}, {V::Ja5, false, 0x10, {0x82}, kStopped10, false, 0xF1},
        {V::Ja5, false, 0x33, {0x82}, "81 F2 33 C2 68", false, 0xF2},  // C2 to F2 from 0x33
        {V::Ja5, false, 0x10, {0x81}, kKeys10, true, 0xF2},  // always addressed to F1
        {V::Ja5, false, 0x11, {0x81}, "", false, 0xF1}, {V::B1, true, 0x10, {0x81}, kKeys10, true, 0xF1},
        {V::B7, false, 0x10, {0x81}, "83 F1 10 C1 EF 8F C3", true, 0xF1},  // C1 EF 8F
        {V::B7, false, 0x11, {0x81}, kKeys11, true, 0xF1}, {V::BMP, false, 0x10, {0x81}, "", false, 0xF1},
        {V::BMP, false, 0x11, {0x81}, kKeys11, true, 0xF1},
        {V::Ja5, true, 0x10, {0x82}, kStopped10, true, 0xF1},  // the session goes on
        {V::Ja7, true, 0x10, kTiming, "83 F1 10 7F 83 12 98", true, 0xF1},  // 7F 83 12
        {V::B7, true, 0x10, kTiming, "87 F1 10 C3 03 1E 50 0A 1E 00 E4", true, 0xF1},  // echoed
        {V::BMP, true, 0x11, kTiming, "87 F1 11 C3 03 1E 50 0A 1E 00 E5", true, 0xF1},
        {V::BMP, true, 0x11, {0x83, 0x03, 0x1E, 0x28, 0x0A, 0x1E, 0x00}, kRefused31, true, 0xF1},
        // not an empty frame
        {V::BMP, true, 0x11, {0x83, 0x03, 0x1E, 0x33, 0x0A, 0x1E, 0x00}, kRefused31, true, 0xF1},
        {V::Ja5, true, 0x11, kTiming, "", true, 0xF1},
        {V::Ja5, true, 0x10, {0x10, 0x81}, "82 F1 10 50 81 54", true, 0xF1},
        {V::BMP, true, 0x11, {0x10, 0x81}, "82 F1 11 50 81 55", true, 0xF1},  // 50 81, fixed
        {V::BMP, true, 0x10, {0x10, 0x81}, "", true, 0xF1},
        // answered although 02 asks for no reply
        {V::Ja5, true, 0x10, {0x3E, 0x02}, "81 F1 10 7E 00", true, 0xF1},
        {V::B7, true, 0x11, {0x3E}, "81 F1 11 7E 01", true, 0xF1}, {V::Ja7, true, 0x11, {0x3E}, "", true, 0xF1},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [variant, active, target, request, reply, activeAfter, source] = rows[i];
        EmulatorHarness h(variant);
        h.env.framing = i % 2 ? ReplyFraming::Real : ReplyFraming::Compact;
        if (active) h.Start();
        EXPECT_EQ(HexText(h.Send(request, target, source)), reply) << "row " << i;
        EXPECT_EQ(h.emulator.CommunicationActive(), activeAfter) << "row " << i;
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
    EXPECT_EQ(HexText(h.Send({0x83, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06})), "87 F1 10 C3 01 02 03 04 05 06 60");
    h.Chunk(Hex("83 F1 10 C1 6B 8F 3F"), 100);  // our own keys echoed: C1 6B 8F, answered by nothing
    EXPECT_TRUE(h.Replies().empty());
    // bare 83: 6B 8F from the echo
    EXPECT_EQ(HexText(h.Send({0x83})), "87 F1 10 C3 6B 8F 03 04 05 06 57");
}
