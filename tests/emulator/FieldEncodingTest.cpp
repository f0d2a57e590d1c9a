#include "support/EmulatorHarness.h"
#include "emulator/FieldEncoding.h"

// Halves go to the even neighbour (the live-data blocks worked out by hand hold more); values
// beyond their field are clamped, with the speed and fuel deviations too.
TEST(FieldEncoding, EncodesTheMirrorAsItIsNow) {
    const std::tuple<Field, Mirror, const char*, int, int, int, const char*> rows[] = {
        // field, mirror, its text, speed and fuel deviation, percent (0: fluctuation off), bytes
        {Field::EngineSpeedBy40, Mirror::EngineSpeed, "940", 0, 0, 0, "18"},  // 23.5 gives 24
        {Field::SpeedBy125, Mirror::Speed, "100", 3, 0, 5, "52"},             // R(82.4)
        {Field::Speed, Mirror::Speed, "10", -120, 0, 120, "00"},
        {Field::Fuel50, Mirror::FuelFlow, "5.0", 0, -120, 120, "00 00"},
        {Field::CoolantFourThirds, Mirror::Coolant, "-49", 0, 0, 0, "00"},
        {Field::CoolantPlus40, Mirror::Coolant, "216", 0, 0, 0, "FF"},
        {Field::ThrottlePercent, Mirror::Throttle, "300", 0, 0, 0, "FF"},
        {Field::IdleValve65535, Mirror::IdleValve, "101", 0, 0, 0, "FF FF"},
        {Field::EngineSpeedBy40, Mirror::EngineSpeed, "-40", 0, 0, 0, "00"},
        {Field::VoltageOffset, Mirror::Voltage, "18.0", 0, 0, 0, "FF"},
        {Field::Fuel466, Mirror::FuelFlow, "150.0", 0, 0, 0, "FF FF"},
        {Field::Fuel463, Mirror::FuelFlow, "150.0", 0, 5, 5, "FF FF"},
        {Field::Injection01333, Mirror::Injection, "99999999999999999999.0", 0, 0, 0, "FF FF"},
    };
    for (const auto& [field, mirror, text, speed, fuel, percent, bytes] : rows) {
        EmulatorHarness h;
        h.env.mirrors[mirror] = text;
        if (percent > 0) h.SetDeviations(speed, fuel, static_cast<std::uint8_t>(percent));
        const FieldBytes encoded = EncodeField(field, LiveValues(h.env, h.emulator.GetFluctuation()));
        EXPECT_EQ(HexText(encoded.bytes.data(), encoded.size), bytes) << text << " " << speed << " " << fuel;
    }
}
