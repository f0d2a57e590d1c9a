#include "protocol/LiveBlockDecoder.h"

#include <variant>

#include "common/HexText.h"
#include "protocol/LiveBlockLayout.h"

namespace {

enum class Order { One, LowFirst, HighFirst };

struct FieldReading {
    const char* name;
    const char* unit;
    Order order;
    double scale;   // value = raw × scale + offset
    double offset;
};

FieldReading Reading(Field field) {
    switch (field) {
    case Field::RunState: return {"run-state", "", Order::One, 1, 0};
    case Field::CoolantPlus40: return {"coolant", "°C", Order::One, 1, -40};
    case Field::CoolantFourThirds: return {"coolant", "°C", Order::One, 0.75, -48};
    case Field::ThrottlePercent: return {"throttle", "%", Order::One, 1, 0};
    case Field::Throttle255: return {"throttle", "%", Order::One, 1 / 2.55, 0};
    case Field::Throttle256: return {"throttle", "%", Order::One, 1 / 2.56, 0};
    case Field::Throttle4095: return {"throttle", "%", Order::HighFirst, 1 / 40.95, 0};
    case Field::EngineSpeedBy40: return {"rpm", "rpm", Order::One, 40, 0};
    case Field::EngineSpeedTimes4: return {"rpm", "rpm", Order::HighFirst, 0.25, 0};
    case Field::IdleSpeedBy10: return {"idle-rpm", "rpm", Order::One, 10, 0};
    case Field::IdleValve: return {"idle-valve", "steps", Order::One, 1, 0};
    case Field::IdleValve65535: return {"idle-valve", "steps", Order::HighFirst, 100.0 / 65535, 0};
    case Field::Speed: return {"speed", "km/h", Order::One, 1, 0};
    case Field::SpeedBy125: return {"speed", "km/h", Order::One, 1.25, 0};
    case Field::VoltageOffset: return {"voltage", "V", Order::One, 0.05, 5.2};
    case Field::Voltage073675: return {"voltage", "V", Order::One, 0.073675, 0};
    case Field::Voltage0943: return {"voltage", "V", Order::One, 0.0943, 0};
    case Field::VoltageTimes10: return {"voltage", "V", Order::One, 0.1, 0};
    case Field::Injection125: return {"injection", "ms", Order::LowFirst, 1 / 125.0, 0};
    case Field::Injection01333: return {"injection", "ms", Order::HighFirst, 0.01333, 0};
    case Field::Injection15625: return {"injection", "ms", Order::HighFirst, 1 / 156.25, 0};
    case Field::Injection024: return {"injection", "ms", Order::HighFirst, 0.024, 0};
    case Field::AirFlowLowFirst: return {"air-flow", "kg/h", Order::LowFirst, 0.1, 0};
    case Field::AirFlowHighFirst: return {"air-flow", "kg/h", Order::HighFirst, 0.1, 0};
    case Field::AirFlowBy025: return {"air-flow", "kg/h", Order::One, 0.25, 0};
    case Field::Fuel50: return {"fuel-flow", "l/h", Order::LowFirst, 1 / 50.0, 0};
    case Field::Fuel466: return {"fuel-flow", "l/h", Order::HighFirst, 1125.0 / 524288, 0};
    case Field::Fuel463: return {"fuel-flow", "l/h", Order::HighFirst, 1 / 462.9556371856456849, 0};
    case Field::Consumption128: return {"consumption", "l/100km", Order::LowFirst, 1 / 128.0, 0};
    case Field::TroubleCount: return {"dtc-count", "", Order::One, 1, 0};
    }
    return {"?", "", Order::One, 1, 0};
}

}  // namespace

int LiveBlockDecoder::FieldSize(Field field) {
    return Reading(field).order == Order::One ? 1 : 2;
}


LiveBlockDecoder::Result LiveBlockDecoder::Decode(EcuVariant variant, const std::uint8_t* data,
                                                  std::size_t length) {
    Result result;
    const BlockLayout* layout = LiveDataLayout(0x01, variant);
    if (layout == nullptr) {
        result.error = "no 21 01 block for this controller type";
        return result;
    }
    std::size_t expected = 0;
    for (const BlockPiece& piece : *layout) {
        expected += std::holds_alternative<FixedRun>(piece) ? std::get<FixedRun>(piece).size()
                                                           : FieldSize(std::get<Field>(piece));
    }
    if (length != expected) {
        result.error = "block of " + std::to_string(length) + " bytes, the layout has " +
                       std::to_string(expected);
        return result;
    }
    std::size_t at = 0;
    for (const BlockPiece& piece : *layout) {
        if (const auto* run = std::get_if<FixedRun>(&piece)) {
            for (const std::uint8_t expectedByte : *run) {
                if (data[at] != expectedByte && result.error.empty()) {
                    result.error = "byte " + std::to_string(at + 1) + " is " + HexText(&data[at], 1) +
                                   ", the layout fixes " + HexText(&expectedByte, 1);
                }
                ++at;
            }
            continue;
        }
        const FieldReading reading = Reading(std::get<Field>(piece));
        unsigned raw = data[at];
        if (reading.order == Order::LowFirst) {
            raw = data[at] | (data[at + 1] << 8);
        } else if (reading.order == Order::HighFirst) {
            raw = (data[at] << 8) | data[at + 1];
        }
        at += reading.order == Order::One ? 1 : 2;
        result.values.push_back({reading.name, raw * reading.scale + reading.offset, reading.unit,
                                 reading.scale});
    }
    return result;
}
