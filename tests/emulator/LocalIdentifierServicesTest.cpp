#include <gtest/gtest.h>

#include <map>
#include <string>

#include "emulator/ConversionError.h"
#include "emulator/DataServiceHarness.h"
#include "emulator/EmulatorHarness.h"

namespace {

const NumberFormat kRussian{",", "\u00A0"};

// The worked example: ignition on, engine started, fluctuation off.
void EngineAtIdle(FakeEnvironment& env) {
    env.mirrors = {{Mirror::Speed, "0"},          {Mirror::Coolant, "20"},    {Mirror::EngineSpeed, "900"},
                   {Mirror::Throttle, "0"},       {Mirror::IdleValve, "61"},  {Mirror::FuelFlow, "0.7"},
                   {Mirror::AirFlow, "9.5"},      {Mirror::Voltage, "13.0"},  {Mirror::IdleSpeed, "900"},
                   {Mirror::Injection, "2.00"},   {Mirror::Consumption, "0.0"}};
}

void TickFirst(FakeEnvironment& env, int ticked) {
    for (int i = 0; i < 12; ++i) {
        env.troubleCodes.push_back({"0102 code", i < ticked});
    }
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Blocks worked out by hand from the field encodings, with a decimal comma, a group
// separator, non-zero deviations, halves rounded to even and clamped fields.
struct BlockCase {
    const char* name;
    EcuVariant variant;
    int speedDeviation, fuelDeviation, percent;
    int ticked;
    std::map<Mirror, std::string> mirrors;
    Bytes block;
    FrameForm form;
};

const BlockCase kBlockCases[] = {
    {"January51", EcuVariant::Ja5, 3, -2, 5, 0,
     {{Mirror::Speed, "250"},  // 250 + R(7.5) = 258, clamped to FF
      {Mirror::Coolant, "-40"}, {Mirror::EngineSpeed, "1000"}, {Mirror::Throttle, "100"},
      {Mirror::IdleValve, "120"}, {Mirror::FuelFlow, "12,5"},  // 12.25 × 50 = 612.5 -> 612
      {Mirror::AirFlow, "2\u00A0000,0"}, {Mirror::Voltage, "14,2"},
      {Mirror::IdleSpeed, "825"},  // 82.5 -> 82
      {Mirror::Injection, "2,05"}, {Mirror::Consumption, "600,0"}},  // 76800 clamped to FF FF
     {0x61, 0x01, 0x08, 0x35, 0x00, 0x00, 0x00, 0x20, 0x08, 0x02, 0x00, 0x00, 0x64, 0x19, 0x52, 0x00, 0x78,
      0x80, 0x00, 0xFF, 0xB4, 0x00, 0x00, 0x01, 0x20, 0x4E, 0x00, 0x00, 0x64, 0x02, 0xFF, 0xFF, 0x26, 0x10},
     FrameForm::BySize},
    {"BoschM154N", EcuVariant::B1, -5, 4, 5, 0,
     {{Mirror::Speed, "60"},  // 60 − 3 = 57
      {Mirror::Coolant, "150"}, {Mirror::EngineSpeed, "990"}, {Mirror::Throttle, "37"},
      {Mirror::IdleValve, "0"}, {Mirror::FuelFlow, "0,7"},  // 0.728 × 50 = 36.4
      {Mirror::AirFlow, "1\u00A0234,5"}, {Mirror::Voltage, "5,0"},  // offset −4, clamped to 00
      {Mirror::IdleSpeed, "800"}, {Mirror::Injection, "2,04"}, {Mirror::Consumption, "7,5"}},
     {0x61, 0x01, 0x08, 0x35, 0x02, 0x00, 0x00, 0x20, 0x08, 0x02, 0xBE, 0x80, 0x25, 0x19, 0x50, 0x00, 0x00, 0x80,
      0x00, 0x39, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x39, 0x30, 0x00, 0x00, 0x24, 0x00, 0xC0, 0x03, 0x26, 0x10},
     FrameForm::BySize},
    {"January72", EcuVariant::Ja7, 5, -5, 5, 10,
     {{Mirror::Speed, "30"},  // 30 + R(1.5) = 32
      {Mirror::Coolant, "-41"},  // −1, clamped to 00
      {Mirror::EngineSpeed, "0"}, {Mirror::Throttle, "0"}, {Mirror::IdleValve, "255"},
      {Mirror::FuelFlow, "10,0"},  // 9.5 × 50 = 475
      {Mirror::AirFlow, "9,5"}, {Mirror::Voltage, "13,0"}, {Mirror::IdleSpeed, "835"},  // 83.5 -> 84
      {Mirror::Injection, "0,01"}, {Mirror::Consumption, "511,9"}},
     {0x61, 0x01, 0x3B, 0x92, 0x01, 0x00, 0x00, 0x20, 0x08, 0x02, 0x00, 0x80, 0x00, 0x00, 0x54, 0x00, 0xFF,
      0x80, 0x00, 0x20, 0x9C, 0x00, 0x00, 0x00, 0x01, 0x00, 0x5F, 0x00, 0x00, 0x00, 0xDB, 0x01, 0xF3, 0xFF,
      0x26, 0x10, 0x3C, 0x0A},
     FrameForm::BySize},
    {"BoschM797", EcuVariant::B7, 28, -10, 30, 2,
     {{Mirror::Speed, "250"},  // 320 / 1.25 = 256, clamped to FF
      {Mirror::Coolant, "150"},  // 264, clamped to FF
      {Mirror::EngineSpeed, "6000"}, {Mirror::Throttle, "40"}, {Mirror::IdleValve, "40"},
      {Mirror::FuelFlow, "3,0"},  // 2.7 × 524288 / 1125 = 1258.29
      {Mirror::AirFlow, "12,3"}, {Mirror::Voltage, "14,5"}, {Mirror::IdleSpeed, "750"},
      {Mirror::Injection, "4,5"}, {Mirror::Consumption, "0,0"}},
     Concat({{0x61, 0x01, 0x02, 0x4D, 0xFF, 0x5A, 0xC5, 0xFF, 0x66, 0x96, 0x00, 0x7B, 0x00, 0x00, 0x00, 0x07,
              0x00, 0x3C, 0x01, 0x52, 0x4B, 0x28, 0x87, 0xC7, 0x27, 0x8C, 0x00},
             {0x00, 0x7E, 0x80, 0x00, 0x10, 0x00, 0x00, 0x00, 0x0D},
             Bytes(15, 0x00),
             {0x3A, 0x04, 0xEA},
             {0x00, 0x00, 0x65, 0x00, 0x00, 0x06, 0xFA, 0x7F, 0xFF, 0x00, 0x00, 0x01, 0xF0, 0x00, 0x01, 0x63,
              0x7E, 0x00, 0x00, 0x00}}),
     FrameForm::BySize},
    {"BoschME1797", EcuVariant::b17, -5, 5, 5, 1,
     {{Mirror::Speed, "100"},  // 95 / 1.25 = 76
      {Mirror::Coolant, "90"}, {Mirror::EngineSpeed, "16500"},  // 66000, clamped to FF FF
      {Mirror::Throttle, "100"}, {Mirror::IdleValve, "30"},  // 19660.5 -> 19660
      {Mirror::FuelFlow, "10,0"},  // 10.5 × 462.96 = 4861.03
      {Mirror::AirFlow, "2\u00A0000,0"}, {Mirror::Voltage, "12,6"}, {Mirror::IdleSpeed, "0"},
      {Mirror::Injection, "3,2"}, {Mirror::Consumption, "0,0"}},
     {0x61, 0x01, 0x01, 0x7E, 0x00, 0xB8, 0xFF, 0xFF, 0x4C, 0x0A, 0x01, 0xF4, 0x0F, 0xFF, 0x4C, 0xCC,
      0x02, 0xE9, 0x4E, 0x20, 0x80, 0x34, 0x39, 0x79, 0x83, 0x90, 0x40, 0xFB, 0x35, 0x82, 0x0F, 0x00,
      0xAC, 0x12, 0xFD, 0x07, 0xD4, 0x04, 0x7D, 0x00, 0x57, 0xFE, 0x48, 0x00, 0x1A, 0x00, 0x28, 0xFF,
      0xCF, 0x86, 0x60, 0x23, 0x01, 0xBD, 0x80, 0x00, 0x25, 0x3B, 0xD2, 0xDB},
     FrameForm::BySize},
    {"BoschMP70", EcuVariant::BMP, 3, 0, 5, 0,
     {{Mirror::Speed, "100"}, {Mirror::Coolant, "-20"}, {Mirror::EngineSpeed, "3000"},
      {Mirror::Throttle, "100"},  // 256, clamped to FF
      {Mirror::IdleValve, "80"}, {Mirror::FuelFlow, "0,0"},
      {Mirror::AirFlow, "70,0"},  // 280, clamped to FF
      {Mirror::Voltage, "14,0"}, {Mirror::IdleSpeed, "900"}, {Mirror::Injection, "2,5"},
      {Mirror::Consumption, "0,0"}},
     Concat({{0x61, 0x01, 0x00}, Bytes(8, 0x00), {0x94, 0x25, 0x00, 0x00, 0xFF, 0x67, 0x4B, 0x00, 0x68, 0x50, 0x5A},
             Bytes(4, 0x00), {0xFF}, Bytes(11, 0x00)}),
     FrameForm::BySize},
};

void PrintTo(const BlockCase& c, std::ostream* os) {
    *os << c.name;
}

class LiveBlockByHand : public ::testing::TestWithParam<BlockCase> {};

TEST_P(LiveBlockByHand, WholeBlockOf2101) {
    const BlockCase& c = GetParam();
    DataServiceHarness h;
    h.env.variant = c.variant;
    h.env.format = kRussian;
    h.env.mirrors = c.mirrors;
    TickFirst(h.env, c.ticked);
    h.SetDeviations(c.speedDeviation, c.fuelDeviation, static_cast<std::uint8_t>(c.percent));
    ASSERT_EQ(h.fluctuation.SpeedDeviationPercent(), c.speedDeviation);
    ASSERT_EQ(h.fluctuation.FuelDeviationPercent(), c.fuelDeviation);

    h.Send(ReadDataByLocalIdentifier01, {0x21, 0x01});

    ASSERT_EQ(h.Replies(), 1);
    EXPECT_EQ(h.LastReply().data, c.block);
    EXPECT_EQ(h.LastReply().form, c.form);
}

INSTANTIATE_TEST_SUITE_P(EveryControllerType, LiveBlockByHand, ::testing::ValuesIn(kBlockCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LocalIdentifier01, WorkedExampleFramesJanuaryShortAndM797Long) {
    DataServiceHarness h;
    EngineAtIdle(h.env);
    h.Send(ReadDataByLocalIdentifier01, {0x21, 0x01});
    // A2 F1 10: 34 data bytes in the short form; 25 closes the sum.
    EXPECT_EQ(h.LastFrame(), (Bytes{0xA2, 0xF1, 0x10, 0x61, 0x01, 0x08, 0x35, 0x02, 0x00, 0x00, 0x20, 0x08, 0x02,
                                    0x3C, 0x00, 0x00, 0x16, 0x5A, 0x00, 0x3D, 0x80, 0x00, 0x00, 0x9C, 0x00, 0xFA,
                                    0x00, 0x5F, 0x00, 0x00, 0x00, 0x23, 0x00, 0x00, 0x00, 0x26, 0x10, 0x25}));

    h.env.variant = EcuVariant::B7;
    h.Send(ReadDataByLocalIdentifier01, {0x21, 0x01});
    const Bytes& frame = h.LastFrame();
    ASSERT_EQ(frame.size(), 79u);
    // 80 F1 10 4A: 74 data bytes need the separate length byte.
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 16),
              (Bytes{0x80, 0xF1, 0x10, 0x4A, 0x61, 0x01, 0x00, 0x4D, 0x5B, 0x5A, 0xB0, 0x00, 0x00, 0x16, 0x00, 0x5F}));
    // Fuel ×466 at bytes 53–54: R(326.22) = 326.
    EXPECT_EQ(frame[4 + 52], 0x01);
    EXPECT_EQ(frame[4 + 53], 0x46);
}

TEST(LocalIdentifier01, WorkedExampleFromWireToWire) {
    EmulatorHarness h;
    EngineAtIdle(h.env);
    h.Chunk({0x81, 0x10, 0xF1, 0x81, 0x03});  // StartCommunication
    h.Replies();
    h.Chunk({0x82, 0x10, 0xF1, 0x21, 0x01, 0xA5});
    const auto replies = h.Replies();
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].size(), 38u);
    EXPECT_EQ(replies[0].front(), 0xA2);
    EXPECT_EQ(replies[0].back(), 0x25);
}

TEST(LocalIdentifier01, ServesEveryTypeAtBothAddressesAndIgnoresTrailingBytes) {
    for (EcuVariant variant : {EcuVariant::Ja5, EcuVariant::B1, EcuVariant::Ja7, EcuVariant::B7,
                               EcuVariant::BMP, EcuVariant::b17}) {
        DataServiceHarness h;
        EngineAtIdle(h.env);
        h.env.variant = variant;
        h.Send(ReadDataByLocalIdentifier01, {0x21, 0x01}, 0x11);
        h.Send(ReadDataByLocalIdentifier01, {0x21, 0x01, 0x55, 0xAA});
        ASSERT_EQ(h.Replies(), 2);
        EXPECT_EQ(h.reply.replies[0].data, h.reply.replies[1].data);
        EXPECT_EQ(h.env.written[0][2], 0x11);  // from the address asked
    }
}

TEST(LocalIdentifier01, ReadsTheMirrorsAtEachRequest) {
    DataServiceHarness h;
    EngineAtIdle(h.env);
    h.Send(ReadDataByLocalIdentifier01, {0x21, 0x01});
    h.env.mirrors[Mirror::Speed] = "90";
    h.env.troubleCodes = {{"0102 a", true}};
    h.env.variant = EcuVariant::Ja7;
    h.Send(ReadDataByLocalIdentifier01, {0x21, 0x01});
    EXPECT_EQ(h.reply.replies[0].data[19], 0x00);
    EXPECT_EQ(h.LastReply().data[19], 0x5A);  // 90 km/h
    EXPECT_EQ(h.LastReply().data.back(), 0x01);  // one ticked code
}

TEST(LocalIdentifier01, FluctuationOnWithoutATripCheckReportsTheMirrors) {
    DataServiceHarness plain;
    DataServiceHarness fluctuating;
    for (DataServiceHarness* h : {&plain, &fluctuating}) {
        EngineAtIdle(h->env);
        h->env.mirrors[Mirror::Speed] = "77";
        h->env.mirrors[Mirror::FuelFlow] = "5.0";
    }
    fluctuating.fluctuation.Configure(true, 5);
    plain.Send(ReadDataByLocalIdentifier01, {0x21, 0x01});
    fluctuating.Send(ReadDataByLocalIdentifier01, {0x21, 0x01});
    EXPECT_EQ(plain.LastReply().data, fluctuating.LastReply().data);
}

TEST(LocalIdentifier01, AMirrorThatDoesNotConvertAbandonsTheReply) {
    const std::pair<Mirror, const char*> broken[] = {
        {Mirror::Speed, "12a"}, {Mirror::Voltage, "13.0V"}, {Mirror::Injection, ""}, {Mirror::Coolant, "20.5"}};
    for (const auto& [mirror, text] : broken) {
        DataServiceHarness h;
        EngineAtIdle(h.env);
        h.env.mirrors[mirror] = text;
        EXPECT_THROW(h.Send(ReadDataByLocalIdentifier01, {0x21, 0x01}), ConversionError) << text;
        EXPECT_TRUE(h.env.written.empty()) << text;
    }
}

TEST(LocalIdentifier02, JanuaryFamilyLongBlocksM797RefusedME17Silent) {
    DataServiceHarness h;
    EngineAtIdle(h.env);
    TickFirst(h.env, 3);
    h.Send(ReadDataByLocalIdentifier02, {0x21, 0x02});
    // 80 F1 10 1A: 26 bytes, long form although short would do.
    EXPECT_EQ(h.LastFrame(), (Bytes{0x80, 0xF1, 0x10, 0x1A, 0x61, 0x02, 0x08, 0x35, 0x02, 0x00, 0x3C, 0x00, 0x00,
                                    0x16, 0x5A, 0x3D, 0x80, 0x00, 0x00, 0x9C, 0xFA, 0x00, 0x5F, 0x00, 0x00, 0x00,
                                    0x23, 0x00, 0x00, 0x00, 0xBE}));

    h.env.variant = EcuVariant::B1;
    h.Send(ReadDataByLocalIdentifier02, {0x21, 0x02});
    EXPECT_EQ(h.LastReply().data,
              (Bytes{0x61, 0x02, 0x08, 0x35, 0x02, 0x00, 0x3C, 0x80, 0x00, 0x16, 0x5A, 0x3D, 0x80, 0x00,
                     0x00, 0x9C, 0x00, 0xFA, 0x00, 0x5F, 0x00, 0x00, 0x00, 0x23, 0x00, 0x00, 0x00}));
    EXPECT_EQ(h.LastReply().form, FrameForm::Long);

    h.env.variant = EcuVariant::Ja7;
    h.Send(ReadDataByLocalIdentifier02, {0x21, 0x02});
    // The M1.5.4N block under 3B 92, then 3C and three ticked codes.
    EXPECT_EQ(h.LastReply().data,
              (Bytes{0x61, 0x02, 0x3B, 0x92, 0x02, 0x00, 0x3C, 0x80, 0x00, 0x16, 0x5A, 0x3D, 0x80, 0x00, 0x00,
                     0x9C, 0x00, 0xFA, 0x00, 0x5F, 0x00, 0x00, 0x00, 0x23, 0x00, 0x00, 0x00, 0x3C, 0x03}));

    h.env.variant = EcuVariant::B7;
    h.Send(ReadDataByLocalIdentifier02, {0x21, 0x02});
    EXPECT_EQ(h.LastFrame(), (Bytes{0x83, 0xF1, 0x10, 0x7F, 0x21, 0x12, 0x36}));  // 7F 21 12: refused

    h.env.variant = EcuVariant::b17;
    const int before = h.Replies();
    h.Send(ReadDataByLocalIdentifier02, {0x21, 0x02});
    EXPECT_EQ(h.Replies(), before);
}

TEST(LocalIdentifier03, FixedZeroBlocksAndRefusalForME17) {
    struct Case {
        EcuVariant variant;
        Bytes data;
    };
    const Case cases[] = {
        {EcuVariant::Ja5, Concat({{0x61, 0x03, 0x54}, Bytes(9, 0x00)})},
        {EcuVariant::B1, Concat({{0x61, 0x03, 0x54}, Bytes(9, 0x00)})},
        {EcuVariant::Ja7, Concat({{0x61, 0x03, 0x54}, Bytes(10, 0x00)})},
        {EcuVariant::B7, Concat({{0x61, 0x03}, Bytes(16, 0x00)})},
        {EcuVariant::b17, {0x7F, 0x21, 0x12}},  // refused rather than an empty frame
    };
    for (const Case& c : cases) {
        DataServiceHarness h;
        h.env.variant = c.variant;
        h.Send(ReadDataByLocalIdentifier03, {0x21, 0x03});
        ASSERT_EQ(h.Replies(), 1);
        EXPECT_EQ(h.LastReply().data, c.data);
        EXPECT_EQ(h.LastReply().form, FrameForm::Short);
    }
    DataServiceHarness ja7;
    ja7.env.variant = EcuVariant::Ja7;
    ja7.Send(ReadDataByLocalIdentifier03, {0x21, 0x03});
    EXPECT_EQ(ja7.LastFrame(), Concat({{0x8D, 0xF1, 0x10, 0x61, 0x03, 0x54}, Bytes(10, 0x00), {0x46}}));
}

TEST(LocalIdentifierServices, OtherRequestsAreNotTheirs) {
    const std::initializer_list<std::uint8_t> foreign[] = {{0x21, 0x04}, {0x22, 0x01}, {0x1A, 0x01}, {0x21, 0x00}};
    for (const auto& request : foreign) {
        DataServiceHarness h;
        for (ServiceHandler handler : {ReadDataByLocalIdentifier01, ReadDataByLocalIdentifier02,
                                       ReadDataByLocalIdentifier03}) {
            h.Send(handler, request);
        }
        EXPECT_EQ(h.Replies(), 0);
    }
}

}  // namespace
