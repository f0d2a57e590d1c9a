#include <gtest/gtest.h>

#include <vector>

#include "emulator/DataServiceHarness.h"

namespace {

// The handlers after ReadDTCByStatus, in the order the dispatch tries them.
const ServiceHandler kTail[] = {IoControlReturnControl, IoControlSetState,  IoControlReportState,
                                ClearDiagnosticInformation, EcuReset, IoControlSetValue41,
                                IoControlSetValue42};

void SendToTail(DataServiceHarness& h, std::initializer_list<std::uint8_t> request, std::uint8_t target = 0x10) {
    for (ServiceHandler handler : kTail) {
        h.Send(handler, request, target);
    }
}

TEST(ActuatorServices, EachRequestGetsOneReplyOrNone) {
    struct Case {
        std::initializer_list<std::uint8_t> request;
        std::uint8_t target;
        Bytes frame;  // empty: no reply
    };
    const Case cases[] = {
        {{0x30, 0x09, 0x06, 0x01}, 0x10, {0x84, 0xF1, 0x10, 0x70, 0x09, 0x06, 0x01, 0x05}},
        {{0x30, 0x09, 0x06, 0x00}, 0x10, {0x84, 0xF1, 0x10, 0x70, 0x09, 0x06, 0x00, 0x04}},
        {{0x30, 0x09, 0x00}, 0x10, {0x83, 0xF1, 0x10, 0x70, 0x09, 0x00, 0xFD}},
        {{0x30, 0x05, 0x06, 0xFF}, 0x10, {0x84, 0xF1, 0x10, 0x70, 0x05, 0x06, 0xFF, 0xFF}},
        {{0x30, 0x0B, 0x06, 0xFF}, 0x10, {0x84, 0xF1, 0x10, 0x70, 0x0B, 0x06, 0xFF, 0x05}},  // no lamp pair
        {{0x30, 0x41, 0x01}, 0x10, {0x84, 0xF1, 0x10, 0x70, 0x41, 0x01, 0x67, 0x9E}},
        {{0x30, 0x42, 0x01}, 0x10, {0x84, 0xF1, 0x10, 0x70, 0x42, 0x01, 0x64, 0x9C}},
        {{0x30, 0x41, 0x01}, 0x11, {0x84, 0xF1, 0x11, 0x70, 0x41, 0x01, 0x67, 0x9F}},
        {{0x30, 0x42, 0x01}, 0x11, {0x84, 0xF1, 0x11, 0x70, 0x42, 0x01, 0x64, 0x9D}},
        {{0x30, 0x05, 0x01}, 0x10, {0x84, 0xF1, 0x10, 0x70, 0x05, 0x01, 0x00, 0xFB}},
        {{0x30, 0x41, 0x07, 0x80}, 0x10, {0x84, 0xF1, 0x10, 0x70, 0x41, 0x07, 0x80, 0xBD}},
        {{0x30, 0x42, 0x07, 0x20}, 0x10, {0x84, 0xF1, 0x10, 0x70, 0x42, 0x07, 0x20, 0x5E}},
        {{0x11, 0x01}, 0x10, {0x81, 0xF1, 0x10, 0x51, 0xD3}},
        {{0x30, 0x05, 0x07, 0x20}, 0x10, {}},  // set value only for 41 and 42
        {{0x30, 0x09, 0x02, 0x01}, 0x10, {}},  // unserved control parameter
        {{0x11, 0x81}, 0x10, {}},              // unserved reset mode
    };
    for (const Case& c : cases) {
        DataServiceHarness h;
        SendToTail(h, c.request, c.target);
        if (c.frame.empty()) {
            EXPECT_EQ(h.Replies(), 0) << int(c.request.begin()[1]);
        } else {
            ASSERT_EQ(h.Replies(), 1) << int(c.request.begin()[1]);
            EXPECT_EQ(h.LastFrame(), c.frame);
            EXPECT_EQ(h.LastReply().form, FrameForm::Short);
        }
    }
}

TEST(ActuatorServices, EveryLampPairFollowsItsLocalIdentifier) {
    struct Pair {
        std::uint8_t lid;
        Lamp on, off;
    };
    const Pair pairs[] = {
        {0x0A, Lamp::ESUDCONTROL2ON, Lamp::ESUDCONTROL2OFF}, {0x09, Lamp::ESUDCONTROL1ON, Lamp::ESUDCONTROL1OFF},
        {0x05, Lamp::ESUDCONTROL5ON, Lamp::ESUDCONTROL5OFF}, {0x06, Lamp::ESUDCONTROL6ON, Lamp::ESUDCONTROL6OFF},
        {0x07, Lamp::ESUDCONTROL7ON, Lamp::ESUDCONTROL7OFF}, {0x08, Lamp::ESUDCONTROL8ON, Lamp::ESUDCONTROL8OFF},
    };
    for (const Pair& p : pairs) {
        DataServiceHarness h;
        SendToTail(h, {0x30, p.lid, 0x06, 0x01});
        EXPECT_TRUE(h.env.LampOn(p.on)) << int(p.lid);
        EXPECT_FALSE(h.env.LampOn(p.off)) << int(p.lid);
        // Only this pair was touched.
        EXPECT_EQ(h.env.lamps.size(), 2u) << int(p.lid);

        SendToTail(h, {0x30, p.lid, 0x01});  // reporting leaves the lamps alone
        EXPECT_TRUE(h.env.LampOn(p.on)) << int(p.lid);

        SendToTail(h, {0x30, p.lid, 0x06, 0x00});
        EXPECT_FALSE(h.env.LampOn(p.on)) << int(p.lid);
        EXPECT_TRUE(h.env.LampOn(p.off)) << int(p.lid);

        SendToTail(h, {0x30, p.lid, 0x00});
        EXPECT_FALSE(h.env.LampOn(p.on)) << int(p.lid);
        EXPECT_FALSE(h.env.LampOn(p.off)) << int(p.lid);
        EXPECT_EQ(h.env.lamps.size(), 2u) << int(p.lid);
    }
    DataServiceHarness none;
    SendToTail(none, {0x30, 0x0B, 0x06, 0xFF});
    SendToTail(none, {0x30, 0x0B, 0x00});
    EXPECT_TRUE(none.env.lamps.empty());
}

TEST(ActuatorServices, AStateByteLeftByAnEarlierRequestIsUsed) {
    DataServiceHarness h;
    SendToTail(h, {0x30, 0x05, 0x06, 0x01});
    SendToTail(h, {0x30, 0x09, 0x06});  // no state byte: position 3 still holds 01
    EXPECT_TRUE(h.env.LampOn(Lamp::ESUDCONTROL1ON));
    EXPECT_EQ(h.LastReply().data, (Bytes{0x70, 0x09, 0x06, 0x01}));
}

TEST(EcuReset, LightsItsLampAndSharesTheTimerWithTheClear) {
    DataServiceHarness h;
    SendToTail(h, {0x11, 0x01});
    EXPECT_TRUE(h.env.LampOn(Lamp::UiLED4));
    EXPECT_FALSE(h.env.LampOn(Lamp::UiLED3));
    EXPECT_TRUE(h.env.resetTimerEnabled);

    SendToTail(h, {0x14, 0x00, 0x00});
    EXPECT_TRUE(h.env.LampOn(Lamp::UiLED3));
    EXPECT_TRUE(h.env.LampOn(Lamp::UiLED4));
    EXPECT_TRUE(h.env.LampOn(Lamp::UiLED5));
    EXPECT_EQ(h.env.resetTimerStarts, 1);
    EXPECT_EQ(h.Replies(), 2);
}

}  // namespace
