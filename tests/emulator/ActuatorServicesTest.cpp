#include <map>
#include <tuple>

#include "support/EmulatorHarness.h"

namespace {

using Lamps = std::map<Lamp, bool>;

// The lamps the tester switched, the request lamps left out.
Lamps Switched(const FakeEnvironment& env) {
    Lamps lamps = env.lamps;
    lamps.erase(Lamp::UiLED1);
    lamps.erase(Lamp::UiLED2);
    return lamps;
}

// Rows in turn on one B7, served at 0x10 and 0x11; every other row framed as a real controller
// frames, these replies the same either way.
TEST(ActuatorServices, EachRequestGetsOneReplyOrNone) {
    const std::tuple<Bytes, std::uint8_t, const char*> rows[] = {  // "": no reply
        {{0x30, 0x09, 0x06, 0x01}, 0x10, "84 F1 10 70 09 06 01 05"},
        {{0x30, 0x09, 0x06, 0x00}, 0x10, "84 F1 10 70 09 06 00 04"},
        {{0x30, 0x09, 0x00}, 0x10, "83 F1 10 70 09 00 FD"},
        {{0x30, 0x05, 0x06, 0xFF}, 0x10, "84 F1 10 70 05 06 FF FF"},
        {{0x30, 0x09, 0x06}, 0x10, "84 F1 10 70 09 06 FF 03"},  // no state: FF left behind
        {{0x30, 0x0B, 0x06, 0xFF}, 0x10, "84 F1 10 70 0B 06 FF 05"},  // no lamp pair
        {{0x30, 0x41, 0x01}, 0x10, "84 F1 10 70 41 01 67 9E"},
        {{0x30, 0x42, 0x01}, 0x11, "84 F1 11 70 42 01 64 9D"},
        {{0x30, 0x05, 0x01}, 0x10, "84 F1 10 70 05 01 00 FB"},
        {{0x30, 0x41, 0x07, 0x80}, 0x10, "84 F1 10 70 41 07 80 BD"},
        {{0x30, 0x42, 0x07, 0x20}, 0x10, "84 F1 10 70 42 07 20 5E"}, {{0x11, 0x01}, 0x10, "81 F1 10 51 D3"},
        {{0x30, 0x05, 0x07, 0x20}, 0x10, ""},  // set value only for 41 and 42
        {{0x30, 0x09, 0x02, 0x01}, 0x10, ""},  // unserved control parameter
        {{0x11, 0x81}, 0x10, ""},              // unserved reset mode
    };
    EmulatorHarness h(EcuVariant::B7);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [request, target, frame] = rows[i];
        h.env.framing = i % 2 ? ReplyFraming::Real : ReplyFraming::Compact;
        EXPECT_EQ(HexText(h.Ask(request, target)), frame) << "row " << i;
    }
}

TEST(ActuatorServices, EveryLampPairFollowsItsLocalIdentifier) {
    const std::tuple<std::uint8_t, Lamp, Lamp> pairs[] = {
        {0x0A, Lamp::ESUDCONTROL2ON, Lamp::ESUDCONTROL2OFF}, {0x05, Lamp::ESUDCONTROL5ON, Lamp::ESUDCONTROL5OFF},
    };
    // Set on, report (lamps left alone), set off, return control: the pair's lamps after each.
    const std::tuple<Bytes, bool, bool> steps[] = {
        {{0x06, 0x01}, true, false}, {{0x01}, true, false}, {{0x06, 0x00}, false, true}, {{0x00}, false, false}};
    for (const auto& [lid, on, off] : pairs) {
        EmulatorHarness h;
        for (const auto& [tail, onLit, offLit] : steps) {
            h.Ask(Join({{0x30, lid}, tail}));
            EXPECT_EQ(Switched(h.env), (Lamps{{on, onLit}, {off, offLit}})) << int(lid) << " " << int(tail[0]);
        }
    }
    EmulatorHarness none;
    none.Ask({0x30, 0x0B, 0x06, 0xFF});
    none.Ask({0x30, 0x0B, 0x00});
    EXPECT_TRUE(Switched(none.env).empty());
}

TEST(EcuReset, LightsItsLampAndStartsTheTimerLikeTheClear) {
    EmulatorHarness h;
    h.Ask({0x14, 0x00, 0x00});
    EXPECT_EQ(Switched(h.env), (Lamps{{Lamp::UiLED3, true}, {Lamp::UiLED5, true}}));
    EXPECT_EQ(h.env.resetTimerStarts, 1);
    h.env.resetTimerEnabled = false;  // Timer2 has run out
    h.Ask({0x11, 0x01});
    EXPECT_EQ(Switched(h.env), (Lamps{{Lamp::UiLED3, true}, {Lamp::UiLED4, true}, {Lamp::UiLED5, true}}));
    EXPECT_EQ(h.env.resetTimerStarts, 2);
    EXPECT_FALSE(h.Ask({0x3E}).empty());  // still in session after the reset
}

}  // namespace
