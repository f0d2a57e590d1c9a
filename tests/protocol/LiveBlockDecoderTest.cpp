#include "protocol/LiveBlockDecoder.h"

#include <map>
#include <string>

#include "support/HexBytes.h"

namespace {

std::map<std::string, double> Decoded(EcuVariant variant, const std::vector<std::uint8_t>& block) {
    const auto result = LiveBlockDecoder::Decode(variant, block.data(), block.size());
    EXPECT_EQ(result.error, "");
    std::map<std::string, double> values;
    for (const auto& v : result.values) values[v.name] = v.value;
    return values;
}

// Ja5 at 0x10 after ignition on and engine start, fluctuation off.
TEST(LiveBlockDecoderTest, ReadsTheEngineStartBlockOfJa5) {
    const auto v = Decoded(EcuVariant::Ja5, Hex("61 01 08 35 02 00 00 20 08 02 3C 00 00 16 5A 00 3D 80 00 00 9C 00 FA"
                                                " 00 5F 00 00 00 23 00 00 00 26 10"));
    EXPECT_DOUBLE_EQ(v.at("run-state"), 2);     // 02: running below 1000 rpm
    EXPECT_DOUBLE_EQ(v.at("coolant"), 20);      // 3C - 40
    EXPECT_DOUBLE_EQ(v.at("rpm"), 880);         // 16 × 40: 900 / 40 = 22.5 went to 22
    EXPECT_DOUBLE_EQ(v.at("idle-rpm"), 900);    // 5A × 10
    EXPECT_DOUBLE_EQ(v.at("idle-valve"), 61);   // 3D
    EXPECT_DOUBLE_EQ(v.at("speed"), 0);
    EXPECT_NEAR(v.at("voltage"), 13.0, 1e-9);   // 9C: 156 × 0.05 + 5.2
    EXPECT_DOUBLE_EQ(v.at("injection"), 2.0);   // FA 00 low first: 250 / 125
    EXPECT_DOUBLE_EQ(v.at("air-flow"), 9.5);    // 5F 00: 95 / 10
    EXPECT_DOUBLE_EQ(v.at("fuel-flow"), 0.7);   // 23 00: 35 / 50
}

// Each type's layout length meets the emulator's blocks in the soak; a block of another length
// is named, and so is a fixed byte out of place.
TEST(LiveBlockDecoderTest, HighFirstFieldsOfB7AndB17) {
    std::vector<std::uint8_t> b7 = Hex(
        "61 01 0A 4D 5B 5A B0 30 00 16 00 5F 00 00 00 07 00 3C 00 00 00 00 87 C7 27 8C 00 00 7E 80 00 10"
        " 00 00 00 0D 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 3A 01 46 00 00 65 00 00 06 FA 7F FF 00"
        " 00 01 F0 00 01 63 7E 00 00 00");
    const auto v = Decoded(EcuVariant::B7, b7);
    EXPECT_DOUBLE_EQ(v.at("dtc-count"), 10);
    EXPECT_DOUBLE_EQ(v.at("coolant"), 20.25);   // 5B: 91 × 3/4 - 48
    EXPECT_DOUBLE_EQ(v.at("speed"), 60);        // 30: 48 × 1.25
    EXPECT_DOUBLE_EQ(v.at("air-flow"), 9.5);    // 00 5F high first
    EXPECT_NEAR(v.at("fuel-flow"), 0.7, 0.002);  // 01 46: 326 × 1125 / 524288

    b7[22] = 0x88;
    EXPECT_EQ(LiveBlockDecoder::Decode(EcuVariant::B7, b7.data(), b7.size()).error,
              "byte 23 is 88, the layout fixes 87");
    b7.push_back(0x00);
    EXPECT_EQ(LiveBlockDecoder::Decode(EcuVariant::B7, b7.data(), b7.size()).error,
              "block of 75 bytes, the layout has 74");
}

}  // namespace
