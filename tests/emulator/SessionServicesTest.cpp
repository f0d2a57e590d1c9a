#include <gtest/gtest.h>

#include <vector>

#include "emulator/EmulatorHarness.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using V = EcuVariant;

// Requests from the tester at F1.
const Bytes kStart10 = {0x81, 0x10, 0xF1, 0x81, 0x03};                 // 81 to 0x10
const Bytes kStart11 = {0x81, 0x11, 0xF1, 0x81, 0x04};                 // 81 to 0x11
const Bytes kStop10 = {0x81, 0x10, 0xF1, 0x82, 0x04};                  // 82 to 0x10
const Bytes kStopFromF2 = {0x81, 0x33, 0xF2, 0x82, 0x28};              // 82 from F2 to 0x33
const Bytes kStartFromF2 = {0x81, 0x10, 0xF2, 0x81, 0x04};             // 81 from F2
const Bytes kTiming10 = {0x87, 0x10, 0xF1, 0x83, 0x03, 0x1E, 0x50, 0x0A, 0x1E, 0x00, 0xA4};  // 83 .. 50 ..
const Bytes kTiming11 = {0x87, 0x11, 0xF1, 0x83, 0x03, 0x1E, 0x50, 0x0A, 0x1E, 0x00, 0xA5};
const Bytes kTiming11x28 = {0x87, 0x11, 0xF1, 0x83, 0x03, 0x1E, 0x28, 0x0A, 0x1E, 0x00, 0x7D};
const Bytes kTiming11x33 = {0x87, 0x11, 0xF1, 0x83, 0x03, 0x1E, 0x33, 0x0A, 0x1E, 0x00, 0x88};
const Bytes kSession10 = {0x82, 0x10, 0xF1, 0x10, 0x81, 0x14};         // 10 81 to 0x10
const Bytes kSession11 = {0x82, 0x11, 0xF1, 0x10, 0x81, 0x15};         // 10 81 to 0x11
const Bytes kPresent10 = {0x81, 0x10, 0xF1, 0x3E, 0xC0};               // 3E to 0x10
const Bytes kPresent11 = {0x81, 0x11, 0xF1, 0x3E, 0xC1};               // 3E to 0x11
const Bytes kPresentNoReply = {0x82, 0x10, 0xF1, 0x3E, 0x02, 0xC3};    // 3E 02

// Replies.
const Bytes kKeys10 = {0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F};      // C1 6B 8F
const Bytes kKeys10M797 = {0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3};  // C1 EF 8F
const Bytes kKeys11 = {0x83, 0xF1, 0x11, 0xC1, 0x6B, 0x8F, 0x40};
const Bytes kStopped10 = {0x81, 0xF1, 0x10, 0xC2, 0x44};               // C2
const Bytes kStoppedF2 = {0x81, 0xF2, 0x33, 0xC2, 0x68};               // C2 to F2 from 0x33
const Bytes kRefused12 = {0x83, 0xF1, 0x10, 0x7F, 0x83, 0x12, 0x98};   // 7F 83 12
const Bytes kRefused31 = {0x83, 0xF1, 0x11, 0x7F, 0x83, 0x31, 0xB8};   // 7F 83 31
const Bytes kTimingEcho10 = {0x87, 0xF1, 0x10, 0xC3, 0x03, 0x1E, 0x50, 0x0A, 0x1E, 0x00, 0xE4};
const Bytes kTimingEcho11 = {0x87, 0xF1, 0x11, 0xC3, 0x03, 0x1E, 0x50, 0x0A, 0x1E, 0x00, 0xE5};
const Bytes kSessionAt10 = {0x82, 0xF1, 0x10, 0x50, 0x81, 0x54};       // 50 81, fixed
const Bytes kSessionAt11 = {0x82, 0xF1, 0x11, 0x50, 0x81, 0x55};
const Bytes kPresent10Reply = {0x81, 0xF1, 0x10, 0x7E, 0x00};          // 7E
const Bytes kPresent11Reply = {0x81, 0xF1, 0x11, 0x7E, 0x01};

// Starts communication at the address the type answers StartCommunication at.
void Activate(EmulatorHarness& h) {
    h.Chunk(h.env.variant == V::BMP ? kStart11 : kStart10, 100);
    ASSERT_TRUE(h.emulator.CommunicationActive());
    h.Replies();
}

TEST(SessionServicesTest, RepliesByTypeAddressAndState) {
    struct Row {
        V variant;
        bool active;  // communication started before the request
        Bytes request;
        std::vector<Bytes> replies;
        bool activeAfter;
    };
    const std::vector<Row> rows = {
        {V::Ja5, false, kPresent10, {}, false},
        {V::Ja5, false, kStop10, {kStopped10}, false},
        {V::Ja5, false, kStopFromF2, {kStoppedF2}, false},
        {V::Ja5, false, kStart10, {kKeys10}, true},
        {V::Ja5, false, kStartFromF2, {kKeys10}, true},  // always addressed to F1
        {V::Ja5, false, kStart11, {}, false},
        {V::b17, false, kStart11, {}, false},
        {V::B1, true, kStart10, {kKeys10}, true},
        {V::B7, false, kStart10, {kKeys10M797}, true},
        {V::B7, false, kStart11, {kKeys11}, true},
        {V::BMP, false, kStart10, {}, false},
        {V::BMP, false, kStart11, {kKeys11}, true},
        {V::Ja5, true, kStop10, {kStopped10}, true},
        {V::Ja7, true, kTiming10, {kRefused12}, true},
        {V::B7, true, kTiming10, {kTimingEcho10}, true},
        {V::b17, true, kTiming10, {kTimingEcho10}, true},
        {V::B7, true, kTiming11, {kTimingEcho11}, true},
        {V::BMP, true, kTiming11, {kTimingEcho11}, true},
        {V::BMP, true, kTiming11x28, {kRefused31}, true},
        {V::BMP, true, kTiming11x33, {kRefused31}, true},
        {V::Ja5, true, kTiming11, {}, true},
        {V::Ja5, true, kSession10, {kSessionAt10}, true},
        {V::B7, true, kSession11, {kSessionAt11}, true},
        {V::BMP, true, kSession11, {kSessionAt11}, true},
        {V::BMP, true, kSession10, {}, true},
        {V::Ja5, true, kPresent10, {kPresent10Reply}, true},
        {V::Ja5, true, kPresentNoReply, {kPresent10Reply}, true},
        {V::B7, true, kPresent11, {kPresent11Reply}, true},
        {V::BMP, true, kPresent11, {kPresent11Reply}, true},
        {V::BMP, true, kPresent10, {}, true},
        {V::Ja7, true, kPresent11, {}, true},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        EmulatorHarness h(row.variant);
        if (row.active) {
            Activate(h);
        }
        h.Chunk(row.request, 100);
        EXPECT_EQ(h.Replies(), row.replies) << "row " << i;
        EXPECT_EQ(h.emulator.CommunicationActive(), row.activeAfter) << "row " << i;
    }
}

TEST(SessionServicesTest, StopCommunicationKeepsTheSessionAndResetFlagsEndsIt) {
    EmulatorHarness h;
    Activate(h);
    h.Chunk(kStop10, 100);
    h.Chunk(kPresent10, 100);
    EXPECT_EQ(h.Replies(), (std::vector<Bytes>{kStopped10, kPresent10Reply}));

    h.emulator.ResetFlags();
    h.Chunk(kPresent10, 100);
    EXPECT_TRUE(h.Replies().empty());
}

TEST(SessionServicesTest, EchoedReplyOverwritesTheStartOfRequestData) {
    EmulatorHarness h(V::B7);
    Activate(h);
    h.Chunk({0x87, 0x10, 0xF1, 0x83, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x20}, 100);  // 83 01..06
    h.Chunk(kKeys10, 100);                                                               // echo: C1 6B 8F
    h.Chunk({0x81, 0x10, 0xF1, 0x83, 0x05}, 100);                                        // bare 83
    const std::vector<Bytes> expected = {
        {0x87, 0xF1, 0x10, 0xC3, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x60},
        {0x87, 0xF1, 0x10, 0xC3, 0x6B, 0x8F, 0x03, 0x04, 0x05, 0x06, 0x57},  // 6B 8F from the echo
    };
    EXPECT_EQ(h.Replies(), expected);
}

TEST(SessionServicesTest, FrameWithoutDataIsNotAnsweredAsThePreviousRequest) {
    EmulatorHarness h;
    Activate(h);
    h.Chunk(kPresent10, 100);
    h.Chunk({0x80, 0x10, 0xF1, 0x00, 0x81}, 100);  // length byte 00
    EXPECT_EQ(h.Replies(), std::vector<Bytes>{kPresent10Reply});
}

}  // namespace
