#include <gtest/gtest.h>

#include <map>
#include <string>

#include "emulator/DataServiceHarness.h"
#include "emulator/FieldEncoding.h"

namespace {

struct FieldCase {
    const char* what;
    Field field;
    std::map<Mirror, std::string> mirrors;
    int speedDeviation, fuelDeviation, percent;  // percent 0: fluctuation off
    Bytes bytes;
};

const FieldCase kCases[] = {
    // Run state at its borders.
    {"stopped", Field::RunState, {{Mirror::EngineSpeed, "0"}}, 0, 0, 0, {0x01}},
    {"cranking", Field::RunState, {{Mirror::EngineSpeed, "990"}}, 0, 0, 0, {0x02}},
    {"running", Field::RunState, {{Mirror::EngineSpeed, "1000"}}, 0, 0, 0, {0x00}},
    // Halves go to the even neighbour.
    {"22.5 gives 22", Field::EngineSpeedBy40, {{Mirror::EngineSpeed, "900"}}, 0, 0, 0, {0x16}},
    {"23.5 gives 24", Field::EngineSpeedBy40, {{Mirror::EngineSpeed, "940"}}, 0, 0, 0, {0x18}},
    {"2.05 ms gives 256", Field::Injection125, {{Mirror::Injection, "2.05"}}, 0, 0, 0, {0x00, 0x01}},
    {"2.04 ms gives 255", Field::Injection125, {{Mirror::Injection, "2.04"}}, 0, 0, 0, {0xFF, 0x00}},
    // Byte order: the January family low first, the Bosch blocks high first.
    {"air low first", Field::AirFlowLowFirst, {{Mirror::AirFlow, "123.4"}}, 0, 0, 0, {0xD2, 0x04}},
    {"air high first", Field::AirFlowHighFirst, {{Mirror::AirFlow, "123.4"}}, 0, 0, 0, {0x04, 0xD2}},
    {"fuel x466", Field::Fuel466, {{Mirror::FuelFlow, "0.7"}}, 0, 0, 0, {0x01, 0x46}},
    // Deviations.
    {"speed +3 %", Field::Speed, {{Mirror::Speed, "100"}}, 3, 0, 5, {0x67}},
    {"speed +3 % /1.25", Field::SpeedBy125, {{Mirror::Speed, "100"}}, 3, 0, 5, {0x52}},
    {"speed 60 −5 %", Field::Speed, {{Mirror::Speed, "60"}}, -5, 0, 5, {0x39}},
    {"speed 50 +5 %", Field::Speed, {{Mirror::Speed, "50"}}, 5, 0, 5, {0x34}},
    {"speed 30 +5 %", Field::Speed, {{Mirror::Speed, "30"}}, 5, 0, 5, {0x20}},
    {"fuel −2 %", Field::Fuel50, {{Mirror::FuelFlow, "5.0"}}, 0, -2, 5, {0xF5, 0x00}},
    // Values beyond their field are clamped.
    {"speed below zero", Field::Speed, {{Mirror::Speed, "10"}}, -120, 0, 120, {0x00}},
    {"fuel below zero", Field::Fuel50, {{Mirror::FuelFlow, "5.0"}}, 0, -120, 120, {0x00, 0x00}},
    {"coolant 143", Field::CoolantFourThirds, {{Mirror::Coolant, "143"}}, 0, 0, 0, {0xFF}},
    {"coolant −49", Field::CoolantFourThirds, {{Mirror::Coolant, "-49"}}, 0, 0, 0, {0x00}},
    {"coolant 216 +40", Field::CoolantPlus40, {{Mirror::Coolant, "216"}}, 0, 0, 0, {0xFF}},
    {"throttle 99 x2.56", Field::Throttle256, {{Mirror::Throttle, "99"}}, 0, 0, 0, {0xFD}},
    {"throttle 300 %", Field::ThrottlePercent, {{Mirror::Throttle, "300"}}, 0, 0, 0, {0xFF}},
    {"air 63.6 /0.25", Field::AirFlowBy025, {{Mirror::AirFlow, "63.6"}}, 0, 0, 0, {0xFE}},
    {"idle valve 101", Field::IdleValve65535, {{Mirror::IdleValve, "101"}}, 0, 0, 0, {0xFF, 0xFF}},
    {"consumption 512", Field::Consumption128, {{Mirror::Consumption, "512.0"}}, 0, 0, 0, {0xFF, 0xFF}},
    {"engine 16383 x4", Field::EngineSpeedTimes4, {{Mirror::EngineSpeed, "16383"}}, 0, 0, 0, {0xFF, 0xFC}},
    {"engine −40 /40", Field::EngineSpeedBy40, {{Mirror::EngineSpeed, "-40"}}, 0, 0, 0, {0x00}},
    {"voltage 18 offset", Field::VoltageOffset, {{Mirror::Voltage, "18.0"}}, 0, 0, 0, {0xFF}},
    {"fuel 150 x466", Field::Fuel466, {{Mirror::FuelFlow, "150.0"}}, 0, 0, 0, {0xFF, 0xFF}},
    {"fuel 150 x463 +5 %", Field::Fuel463, {{Mirror::FuelFlow, "150.0"}}, 0, 5, 5, {0xFF, 0xFF}},
    {"huge mirror", Field::Injection01333, {{Mirror::Injection, "99999999999999999999.0"}}, 0, 0, 0, {0xFF, 0xFF}},
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.what;
}

class FieldEncodingCase : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldEncodingCase, EncodesTheMirrorAsIsNow) {
    const FieldCase& c = GetParam();
    DataServiceHarness h;
    for (const auto& [mirror, text] : c.mirrors) {
        h.env.mirrors[mirror] = text;
    }
    if (c.percent > 0) {
        h.SetDeviations(c.speedDeviation, c.fuelDeviation, static_cast<std::uint8_t>(c.percent));
        ASSERT_EQ(h.fluctuation.SpeedDeviationPercent(), c.speedDeviation);
        ASSERT_EQ(h.fluctuation.FuelDeviationPercent(), c.fuelDeviation);
    }
    const FieldBytes field = EncodeField(c.field, LiveValues(h.env, h.fluctuation));
    EXPECT_EQ(Bytes(field.bytes.begin(), field.bytes.begin() + field.size), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Fields, FieldEncodingCase, ::testing::ValuesIn(kCases));

}  // namespace
