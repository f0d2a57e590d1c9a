#include "protocol/LiveBlockDecoder.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "protocol/KwpFrame.h"

namespace {

std::map<std::string, double> ByName(const LiveBlockDecoder::Result& result) {
    std::map<std::string, double> values;
    for (const auto& v : result.values) values[v.name] = v.value;
    return values;
}

// Ja5 at 0x10 after ignition on and engine start, fluctuation off:
// A2 F1 10 | 61 01 08 35 02 00 00 20 08 02 3C 00 00 16 5A 00 3D 80 00 00 9C 00 FA 00 5F 00 00 00
// 23 00 00 00 26 10 | 25
const std::vector<std::uint8_t> kJa5Engine = {
    0x61, 0x01, 0x08, 0x35, 0x02, 0x00, 0x00, 0x20, 0x08, 0x02, 0x3C, 0x00, 0x00, 0x16, 0x5A, 0x00, 0x3D,
    0x80, 0x00, 0x00, 0x9C, 0x00, 0xFA, 0x00, 0x5F, 0x00, 0x00, 0x00, 0x23, 0x00, 0x00, 0x00, 0x26, 0x10};

TEST(LiveBlockDecoderTest, ReadsTheEngineStartBlockOfJa5) {
    const auto result = LiveBlockDecoder::Decode(EcuVariant::Ja5, kJa5Engine.data(), kJa5Engine.size());
    ASSERT_TRUE(result.error.empty()) << result.error;
    const auto v = ByName(result);
    EXPECT_DOUBLE_EQ(v.at("run-state"), 2);     // 02: running below 1000 rpm
    EXPECT_DOUBLE_EQ(v.at("coolant"), 20);      // 3C - 40
    EXPECT_DOUBLE_EQ(v.at("throttle"), 0);
    EXPECT_DOUBLE_EQ(v.at("rpm"), 880);         // 16 × 40: 900 / 40 = 22.5 went to 22
    EXPECT_DOUBLE_EQ(v.at("idle-rpm"), 900);    // 5A × 10
    EXPECT_DOUBLE_EQ(v.at("idle-valve"), 61);   // 3D
    EXPECT_DOUBLE_EQ(v.at("speed"), 0);
    EXPECT_NEAR(v.at("voltage"), 13.0, 1e-9);   // 9C: 156 × 0.05 + 5.2
    EXPECT_DOUBLE_EQ(v.at("injection"), 2.0);   // FA 00 low first: 250 / 125
    EXPECT_DOUBLE_EQ(v.at("air-flow"), 9.5);    // 5F 00: 95 / 10
    EXPECT_DOUBLE_EQ(v.at("fuel-flow"), 0.7);   // 23 00: 35 / 50
    EXPECT_DOUBLE_EQ(v.at("consumption"), 0);
}

// Each type's layout length meets the emulator's blocks in the soak; a block of another length is named.
TEST(LiveBlockDecoderTest, ABlockOfAnotherLengthIsNamed) {
    const std::vector<std::uint8_t> tooLong(75, 0);
    EXPECT_EQ(LiveBlockDecoder::Decode(EcuVariant::B7, tooLong.data(), tooLong.size()).error,
              "block of 75 bytes, the layout has 74");
}

TEST(LiveBlockDecoderTest, HighFirstFieldsOfB7AndB17) {
    // B7: 61 01 0A 4D 5B 5A B0 30 00 16 00 5F ... fuel ×466 at bytes 53-54 = 01 46
    std::vector<std::uint8_t> b7(74, 0);
    const std::vector<std::uint8_t> head = {0x61, 0x01, 0x0A, 0x4D, 0x5B, 0x5A, 0xB0, 0x30, 0x00, 0x16,
                                            0x00, 0x5F, 0x00, 0x00, 0x00, 0x07, 0x00, 0x3C};
    std::copy(head.begin(), head.end(), b7.begin());
    const std::vector<std::uint8_t> fixed = {0x87, 0xC7, 0x27, 0x8C, 0x00, 0x00, 0x7E, 0x80, 0x00, 0x10,
                                             0x00, 0x00, 0x00, 0x0D};
    std::copy(fixed.begin(), fixed.end(), b7.begin() + 22);
    b7[51] = 0x3A;
    b7[52] = 0x01;  // 01 46: 326 × 1125 / 524288
    b7[53] = 0x46;
    const std::vector<std::uint8_t> tail = {0x00, 0x00, 0x65, 0x00, 0x00, 0x06, 0xFA, 0x7F, 0xFF, 0x00,
                                            0x00, 0x01, 0xF0, 0x00, 0x01, 0x63, 0x7E, 0x00, 0x00, 0x00};
    std::copy(tail.begin(), tail.end(), b7.begin() + 54);
    const auto result = LiveBlockDecoder::Decode(EcuVariant::B7, b7.data(), b7.size());
    ASSERT_TRUE(result.error.empty()) << result.error;
    const auto v = ByName(result);
    EXPECT_DOUBLE_EQ(v.at("dtc-count"), 10);
    EXPECT_DOUBLE_EQ(v.at("coolant"), 20.25);   // 5B: 91 × 3/4 - 48
    EXPECT_DOUBLE_EQ(v.at("speed"), 60);        // 30: 48 × 1.25
    EXPECT_DOUBLE_EQ(v.at("air-flow"), 9.5);    // 00 5F high first
    EXPECT_NEAR(v.at("fuel-flow"), 0.7, 0.002);

    b7[22] = 0x88;  // a fixed byte out of place is named
    EXPECT_EQ(LiveBlockDecoder::Decode(EcuVariant::B7, b7.data(), b7.size()).error,
              "byte 23 is 88, the layout fixes 87");
}

}  // namespace
