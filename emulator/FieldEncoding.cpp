#include "emulator/FieldEncoding.h"

#include "emulator/Rounding.h"

namespace {

// Clamping before rounding gives the same result as after (the bounds are whole) and
// keeps the rounding within range for any value a mirror can hold.
long long ClampedRound(double value, double top) {
    if (!(value > 0.0)) {
        return 0;
    }
    if (value >= top) {
        return static_cast<long long>(top);
    }
    return RoundHalfEven(value);
}

FieldBytes OneByte(double value) {
    return FieldBytes{{ClampedByte(value), 0}, 1};
}

FieldBytes HighFirst(double value) {
    const std::uint16_t word = ClampedWord(value);
    return FieldBytes{{static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word & 0xFF)}, 2};
}

FieldBytes LowFirst(double value) {
    const std::uint16_t word = ClampedWord(value);
    return FieldBytes{{static_cast<std::uint8_t>(word & 0xFF), static_cast<std::uint8_t>(word >> 8)}, 2};
}

std::uint8_t RunState(int engineSpeed) {
    if (engineSpeed == 0) {
        return 0x01;
    }
    return engineSpeed < 1000 ? 0x02 : 0x00;
}

}  // namespace

std::uint8_t ClampedByte(double value) {
    return static_cast<std::uint8_t>(ClampedRound(value, 255.0));
}

std::uint16_t ClampedWord(double value) {
    return static_cast<std::uint16_t>(ClampedRound(value, 65535.0));
}

FieldBytes EncodeField(Field field, const LiveValues& v) {
    switch (field) {
        case Field::RunState:
            return FieldBytes{{RunState(v.EngineSpeed()), 0}, 1};
        case Field::CoolantPlus40:
            return OneByte(static_cast<double>(v.Coolant()) + 40.0);
        case Field::CoolantFourThirds:
            return OneByte(static_cast<double>((static_cast<long long>(v.Coolant()) + 48) * 4) / 3.0);
        case Field::ThrottlePercent:
            return OneByte(v.ThrottleWhole());
        case Field::Throttle255:
            return OneByte(v.Throttle() * 2.55);
        case Field::Throttle256:
            return OneByte(v.Throttle() * 2.56);
        case Field::Throttle4095:
            return HighFirst(v.Throttle() * 40.95);
        case Field::EngineSpeedBy40:
            return OneByte(v.EngineSpeed() / 40.0);
        case Field::EngineSpeedTimes4:
            return HighFirst(static_cast<double>(static_cast<long long>(v.EngineSpeed()) * 4));
        case Field::IdleSpeedBy10:
            return OneByte(v.IdleSpeed() / 10.0);
        case Field::IdleValve:
            return OneByte(v.IdleValve());
        case Field::IdleValve65535:
            return HighFirst(static_cast<double>(static_cast<long long>(v.IdleValve()) * 65535) / 100.0);
        case Field::Speed:
            return OneByte(static_cast<double>(v.Speed()));
        case Field::SpeedBy125:
            return OneByte(static_cast<double>(v.Speed()) / 1.25);
        case Field::VoltageOffset:
            return OneByte((v.Voltage() - 5.2) / 0.05);
        case Field::Voltage073675:
            return OneByte(v.Voltage() / 0.073675);
        case Field::Voltage0943:
            return OneByte(v.Voltage() / 0.0943);
        case Field::VoltageTimes10:
            return OneByte(v.Voltage() * 10.0);
        case Field::Injection125:
            return LowFirst(v.Injection() * 125.0);
        case Field::Injection01333:
            return HighFirst(v.Injection() / 0.01333);
        case Field::Injection15625:
            return HighFirst(v.Injection() * 156.25);
        case Field::Injection024:
            return HighFirst(v.Injection() * 1000.0 / 24.0);
        case Field::AirFlowLowFirst:
            return LowFirst(v.AirFlow() * 10.0);
        case Field::AirFlowHighFirst:
            return HighFirst(v.AirFlow() * 10.0);
        case Field::AirFlowBy025:
            return OneByte(v.AirFlow() / 0.25);
        case Field::Fuel50:
            return LowFirst(v.Fuel() * 50.0);
        case Field::Fuel466:
            return HighFirst(v.Fuel() * 524288.0 / 1125.0);
        case Field::Fuel463:
            return HighFirst(v.Fuel() * 462.9556371856456849);
        case Field::Consumption128:
            return LowFirst(v.Consumption() * 128.0);
        case Field::TroubleCount:
            return OneByte(v.TroubleCount());
    }
    return FieldBytes{};
}
