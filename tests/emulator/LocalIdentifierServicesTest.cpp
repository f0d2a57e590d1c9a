#include <array>

#include "emulator/ConversionError.h"
#include "support/EmulatorHarness.h"

namespace {

using V = EcuVariant;

// Mirror texts in the order V T N P A Q M U I J C.
using MirrorTexts = std::array<const char*, 11>;

void SetMirrors(FakeEnvironment& env, const MirrorTexts& texts) {
    const Mirror order[] = {Mirror::Speed,     Mirror::Coolant, Mirror::EngineSpeed, Mirror::Throttle,
                            Mirror::IdleValve, Mirror::FuelFlow, Mirror::AirFlow,    Mirror::Voltage,
                            Mirror::IdleSpeed, Mirror::Injection, Mirror::Consumption};
    for (std::size_t i = 0; i < texts.size(); ++i) env.mirrors[order[i]] = texts[i];
}

void TickFirst(FakeEnvironment& env, int ticked) {
    env.troubleCodes.clear();
    for (int i = 0; i < 12; ++i) env.troubleCodes.push_back({"0102 code", i < ticked});
}

// Ignition on, engine started, fluctuation off.
const MirrorTexts kAtIdle = {"0", "20", "900", "0", "61", "0.7", "9.5", "13.0", "900", "2.00", "0.0"};

// Blocks worked out by hand from the field encodings, with a decimal comma, a no-break
// space grouping, non-zero deviations, halves rounded to even and clamped fields. All
// rows run on one emulator: every reply reads the mirrors, ticks and type anew.
TEST(LocalIdentifier01, WholeBlocksWorkedOutByHand) {
    // The type, speed and fuel deviation, their percent, codes ticked, the mirrors, the block.
    const std::tuple<V, int, int, int, int, MirrorTexts, const char*> rows[] = {
        // N 1000: running 00; V 250 +3 % = 258: FF; Q 12.25 × 50 = 612.5: 612; I 82.5: 82;
        // J 2.05 ms × 125 = 256.25: 256; C 600 × 128: FF FF.
        {V::Ja5, 3, -2, 5, 0, {"250", "-40", "1000", "100", "120", "12,5", "2\u00A0000,0", "14,2", "825", "2,05", "600,0"},
         "61 01 08 35 00 00 00 20 08 02 00 00 64 19 52 00 78 80 00 FF B4 00 00 01 20 4E 00 00 64 02 FF FF"
         " 26 10"},
        // N 990: cranking 02; V 60 −5 % = 57; Q 0.728 × 50 = 36.4; U 5.0 under the offset: 00;
        // J 2.04 ms × 125 = 255.
        {V::B1, -5, 4, 5, 0, {"60", "150", "990", "37", "0", "0,7", "1\u00A0234,5", "5,0", "800", "2,04", "7,5"},
         "61 01 08 35 02 00 00 20 08 02 BE 80 25 19 50 00 00 80 00 39 00 00 00 00 FF 00 39 30 00 00 24 00"
         " C0 03 26 10"},
        // N 0: stopped 01; V 30 +5 % = 30 + R(1.5) = 32; T −41: 00; Q 9.5 × 50 = 475; I 83.5: 84;
        // ten codes ticked.
        {V::Ja7, 5, -5, 5, 10, {"30", "-41", "0", "0", "255", "10,0", "9,5", "13,0", "835", "0,01", "511,9"},
         "61 01 3B 92 01 00 00 20 08 02 00 80 00 00 54 00 FF 80 00 20 9C 00 00 00 01 00 5F 00 00 00 DB 01"
         " F3 FF 26 10 3C 0A"},
        // V 320 / 1.25 = 256: FF; T 264: FF; Q 2.7 × 524288 / 1125 = 1258.29.
        {V::B7, 28, -10, 30, 2, {"250", "150", "6000", "40", "40", "3,0", "12,3", "14,5", "750", "4,5", "0,0"},
         "61 01 02 4D FF 5A C5 FF 66 96 00 7B 00 00 00 07 00 3C 01 52 4B 28 87 C7 27 8C 00 00 7E 80 00 10"
         " 00 00 00 0D 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 3A 04 EA 00 00 65 00 00 06 FA 7F FF 00"
         " 00 01 F0 00 01 63 7E 00 00 00"},
        // V 95 / 1.25 = 76; N 16500 × 4: FF FF; A 30 × 655.35 = 19660.5: 19660; Q 10.5 × 462.96 = 4861.03.
        {V::b17, -5, 5, 5, 1, {"100", "90", "16500", "100", "30", "10,0", "2\u00A0000,0", "12,6", "0", "3,2", "0,0"},
         "61 01 01 7E 00 B8 FF FF 4C 0A 01 F4 0F FF 4C CC 02 E9 4E 20 80 34 39 79 83 90 40 FB 35 82 0F 00"
         " AC 12 FD 07 D4 04 7D 00 57 FE 48 00 1A 00 28 FF CF 86 60 23 01 BD 80 00 25 3B D2 DB"},
        // P 100 × 2.56 = 256: FF; M 70 / 0.25 = 280: FF; asked at 0x11.
        {V::BMP, 3, 0, 5, 0, {"100", "-20", "3000", "100", "80", "0,0", "70,0", "14,0", "900", "2,5", "0,0"},
         "61 01 00 00 00 00 00 00 00 00 00 94 25 00 00 FF 67 4B 00 68 50 5A 00 00 00 00 FF 00 00 00 00 00"
         " 00 00 00 00 00 00"},
    };
    EmulatorHarness h;
    h.env.format = NumberFormat{",", "\u00A0"};
    for (const auto& [variant, speed, fuel, percent, ticked, mirrors, block] : rows) {
        SCOPED_TRACE(static_cast<int>(variant));
        h.env.variant = variant;
        SetMirrors(h.env, mirrors);
        TickFirst(h.env, ticked);
        h.SetDeviations(speed, fuel, static_cast<std::uint8_t>(percent));
        EXPECT_EQ(HexText(Data(h.Ask({0x21, 0x01}))), block);
    }
}

// The worked example's inputs with three codes ticked; rows run in turn on one emulator.
TEST(LocalIdentifierServices, FramesForTheWorkedExampleInputs) {
    const char* const janBlock = "A2 F1 10 61 01 08 35 02 00 00 20 08 02 3C 00 00 16 5A 00 3D 80 00 00 9C 00 FA"
                                 " 00 5F 00 00 00 23 00 00 00 26 10 25";
    const char* const refused = "83 F1 10 7F 21 12 36";  // 7F 21 12
    const std::tuple<V, std::uint8_t, Bytes, const char*> rows[] = {  // frame "": no reply
        // N 900 / 40 = 22.5: 16; bytes after the identifier ignored (without them, the console's
        // end-to-end live-block test meets the same frame)
        {V::Ja5, 0x10, {0x21, 0x01, 0x55, 0xAA}, janBlock},
        // 21 02: long form although short would do.
        {V::Ja5, 0x10, {0x21, 0x02},
         "80 F1 10 1A 61 02 08 35 02 00 3C 00 00 16 5A 3D 80 00 00 9C FA 00 5F 00 00 00 23 00 00 00 BE"},
        {V::B1, 0x10, {0x21, 0x02},
         "80 F1 10 1B 61 02 08 35 02 00 3C 80 00 16 5A 3D 80 00 00 9C 00 FA 00 5F 00 00 00 23 00 00 00 3F"},
        // The M1.5.4N block under 3B 92, then 3C and the three ticked codes.
        {V::Ja7, 0x10, {0x21, 0x02},
         "80 F1 10 1D 61 02 3B 92 02 00 3C 80 00 16 5A 3D 80 00 00 9C 00 FA 00 5F 00 00 00 23 00 00 00 3C"
         " 03 10"},
        {V::B7, 0x10, {0x21, 0x02}, refused}, {V::b17, 0x10, {0x21, 0x02}, ""}, {V::B7, 0x11, {0x21, 0x02}, ""},
        {V::B1, 0x10, {0x21, 0x03}, "8C F1 10 61 03 54 00 00 00 00 00 00 00 00 00 45"},
        {V::Ja7, 0x10, {0x21, 0x03}, "8D F1 10 61 03 54 00 00 00 00 00 00 00 00 00 00 46"},
        {V::B7, 0x10, {0x21, 0x03}, "92 F1 10 61 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 F7"},
        {V::b17, 0x10, {0x21, 0x03}, refused},  // rather than an empty frame
        {V::BMP, 0x11, {0x21, 0x03}, ""}, {V::Ja5, 0x10, {0x21, 0x04}, ""},
    };
    EmulatorHarness h;
    SetMirrors(h.env, kAtIdle);
    TickFirst(h.env, 3);
    for (const auto& [variant, target, request, frame] : rows) {
        h.env.variant = variant;
        EXPECT_EQ(HexText(h.Ask(request, target)), frame) << static_cast<int>(variant) << " " << HexText(request);
    }
}

TEST(LocalIdentifier01, AMirrorThatDoesNotConvertAbandonsTheReply) {
    const std::pair<Mirror, const char*> broken[] = {
        {Mirror::Speed, "12a"}, {Mirror::Voltage, "13.0V"}, {Mirror::Injection, ""}, {Mirror::Coolant, "20.5"}};
    for (const auto& [mirror, text] : broken) {
        EmulatorHarness h;
        SetMirrors(h.env, kAtIdle);
        h.env.mirrors[mirror] = text;
        EXPECT_THROW(h.Ask({0x21, 0x01}), ConversionError) << text;
        EXPECT_TRUE(h.Replies().empty()) << text;
    }
}

}  // namespace
