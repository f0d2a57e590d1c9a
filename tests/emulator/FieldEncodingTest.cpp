#include "support/EmulatorHarness.h"
#include "emulator/FieldEncoding.h"

TEST(FieldEncoding, EncodesTheMirrorAsItIsNow) {
    struct Row {
        const char* what;
        Field field;
        Mirror mirror;
        std::string text;
        int speedDeviation, fuelDeviation, percent;  // percent 0: fluctuation off
        Bytes bytes;
    };
    const Row rows[] = {
        // Halves go to the even neighbour; the live-data blocks worked out by hand hold more.
        {"23.5 gives 24", Field::EngineSpeedBy40, Mirror::EngineSpeed, "940", 0, 0, 0, {0x18}},
        {"speed +3 % /1.25", Field::SpeedBy125, Mirror::Speed, "100", 3, 0, 5, {0x52}},  // R(82.4)
        // Values beyond their field are clamped.
        {"speed below zero", Field::Speed, Mirror::Speed, "10", -120, 0, 120, {0x00}},
        {"fuel below zero", Field::Fuel50, Mirror::FuelFlow, "5.0", 0, -120, 120, {0x00, 0x00}},
        {"coolant −49", Field::CoolantFourThirds, Mirror::Coolant, "-49", 0, 0, 0, {0x00}},
        {"coolant 216 +40", Field::CoolantPlus40, Mirror::Coolant, "216", 0, 0, 0, {0xFF}},
        {"throttle 300 %", Field::ThrottlePercent, Mirror::Throttle, "300", 0, 0, 0, {0xFF}},
        {"idle valve 101", Field::IdleValve65535, Mirror::IdleValve, "101", 0, 0, 0, {0xFF, 0xFF}},
        {"engine −40 /40", Field::EngineSpeedBy40, Mirror::EngineSpeed, "-40", 0, 0, 0, {0x00}},
        {"voltage 18 offset", Field::VoltageOffset, Mirror::Voltage, "18.0", 0, 0, 0, {0xFF}},
        {"fuel 150 x466", Field::Fuel466, Mirror::FuelFlow, "150.0", 0, 0, 0, {0xFF, 0xFF}},
        {"fuel 150 x463 +5 %", Field::Fuel463, Mirror::FuelFlow, "150.0", 0, 5, 5, {0xFF, 0xFF}},
        {"huge mirror", Field::Injection01333, Mirror::Injection, "99999999999999999999.0", 0, 0, 0, {0xFF, 0xFF}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EmulatorHarness h;
        h.env.mirrors[row.mirror] = row.text;
        if (row.percent > 0) {
            h.SetDeviations(row.speedDeviation, row.fuelDeviation, static_cast<std::uint8_t>(row.percent));
        }
        const FieldBytes field = EncodeField(row.field, LiveValues(h.env, h.emulator.GetFluctuation()));
        EXPECT_EQ(Bytes(field.bytes.begin(), field.bytes.begin() + field.size), row.bytes);
    }
}
