#include "protocol/LiveBlockLayout.h"

namespace {

using F = Field;

FixedRun Zeros(std::size_t count) {
    return FixedRun(count, 0x00);
}

// Local identifier 01.

const BlockLayout kJa5Block01 = {
    FixedRun{0x61, 0x01, 0x08, 0x35}, F::RunState, FixedRun{0x00, 0x00, 0x20, 0x08, 0x02},
    F::CoolantPlus40, FixedRun{0x00}, F::ThrottlePercent, F::EngineSpeedBy40, F::IdleSpeedBy10,
    FixedRun{0x00}, F::IdleValve, FixedRun{0x80, 0x00}, F::Speed, F::VoltageOffset, FixedRun{0x00},
    F::Injection125, F::AirFlowLowFirst, FixedRun{0x00, 0x00}, F::Fuel50, F::Consumption128,
    FixedRun{0x26, 0x10}};

const BlockLayout kB1Block01 = {
    FixedRun{0x61, 0x01, 0x08, 0x35}, F::RunState, FixedRun{0x00, 0x00, 0x20, 0x08, 0x02},
    F::CoolantPlus40, FixedRun{0x80}, F::ThrottlePercent, F::EngineSpeedBy40, F::IdleSpeedBy10,
    FixedRun{0x00}, F::IdleValve, FixedRun{0x80, 0x00}, F::Speed, F::VoltageOffset, Zeros(3),
    F::Injection125, F::AirFlowLowFirst, FixedRun{0x00, 0x00}, F::Fuel50, F::Consumption128,
    FixedRun{0x26, 0x10}};

// Январь 7.2: the M1.5.4N block under its own header, then 3C and the trouble count.
const BlockLayout kJa7Block01 = {
    FixedRun{0x61, 0x01, 0x3B, 0x92}, F::RunState, FixedRun{0x00, 0x00, 0x20, 0x08, 0x02},
    F::CoolantPlus40, FixedRun{0x80}, F::ThrottlePercent, F::EngineSpeedBy40, F::IdleSpeedBy10,
    FixedRun{0x00}, F::IdleValve, FixedRun{0x80, 0x00}, F::Speed, F::VoltageOffset, Zeros(3),
    F::Injection125, F::AirFlowLowFirst, FixedRun{0x00, 0x00}, F::Fuel50, F::Consumption128,
    FixedRun{0x26, 0x10, 0x3C}, F::TroubleCount};

const BlockLayout kB7Block01 = {
    FixedRun{0x61, 0x01}, F::TroubleCount, FixedRun{0x4D}, F::CoolantFourThirds, FixedRun{0x5A},
    F::Voltage073675, F::SpeedBy125, F::Throttle255, F::EngineSpeedBy40, F::AirFlowHighFirst,
    FixedRun{0x00, 0x00, 0x00, 0x07, 0x00, 0x3C}, F::Injection01333, F::IdleSpeedBy10, F::IdleValve,
    FixedRun{0x87, 0xC7, 0x27, 0x8C, 0x00, 0x00, 0x7E, 0x80, 0x00, 0x10, 0x00, 0x00, 0x00, 0x0D},
    Zeros(15), FixedRun{0x3A}, F::Fuel466,
    FixedRun{0x00, 0x00, 0x65, 0x00, 0x00, 0x06, 0xFA, 0x7F, 0xFF, 0x00,
             0x00, 0x01, 0xF0, 0x00, 0x01, 0x63, 0x7E, 0x00, 0x00, 0x00}};

const BlockLayout kB17Block01 = {
    FixedRun{0x61, 0x01}, F::TroubleCount, F::VoltageTimes10, FixedRun{0x00}, F::CoolantFourThirds,
    F::EngineSpeedTimes4, F::SpeedBy125, FixedRun{0x0A}, F::Injection15625, F::Throttle4095,
    F::IdleValve65535, FixedRun{0x02, 0xE9}, F::AirFlowHighFirst,
    FixedRun{0x80, 0x34, 0x39, 0x79, 0x83, 0x90, 0x40, 0xFB, 0x35, 0x82, 0x0F, 0x00, 0xAC}, F::Fuel463,
    FixedRun{0x07, 0xD4, 0x04, 0x7D, 0x00, 0x57, 0xFE, 0x48, 0x00, 0x1A, 0x00, 0x28, 0xFF,
             0xCF, 0x86, 0x60, 0x23, 0x01, 0xBD, 0x80, 0x00, 0x25, 0x3B, 0xD2, 0xDB}};

const BlockLayout kBmpBlock01 = {
    FixedRun{0x61, 0x01}, F::TroubleCount, Zeros(8), F::Voltage0943, F::CoolantFourThirds,
    FixedRun{0x00, 0x00}, F::Throttle256, F::Speed, F::EngineSpeedBy40, F::Injection024, F::IdleValve,
    F::IdleSpeedBy10, Zeros(4), F::AirFlowBy025, Zeros(11)};

// Local identifier 02: the shorter live block, address 0x10 only.

const BlockLayout kJa5Block02 = {
    FixedRun{0x61, 0x02, 0x08, 0x35}, F::RunState, FixedRun{0x00}, F::CoolantPlus40, FixedRun{0x00},
    F::ThrottlePercent, F::EngineSpeedBy40, F::IdleSpeedBy10, F::IdleValve, FixedRun{0x80, 0x00},
    F::Speed, F::VoltageOffset, F::Injection125, F::AirFlowLowFirst, FixedRun{0x00, 0x00}, F::Fuel50,
    F::Consumption128};

const BlockLayout kB1Block02 = {
    FixedRun{0x61, 0x02, 0x08, 0x35}, F::RunState, FixedRun{0x00}, F::CoolantPlus40, FixedRun{0x80},
    F::ThrottlePercent, F::EngineSpeedBy40, F::IdleSpeedBy10, F::IdleValve, FixedRun{0x80, 0x00},
    F::Speed, F::VoltageOffset, FixedRun{0x00}, F::Injection125, F::AirFlowLowFirst,
    FixedRun{0x00, 0x00}, F::Fuel50, F::Consumption128};

const BlockLayout kJa7Block02 = {
    FixedRun{0x61, 0x02, 0x3B, 0x92}, F::RunState, FixedRun{0x00}, F::CoolantPlus40, FixedRun{0x80},
    F::ThrottlePercent, F::EngineSpeedBy40, F::IdleSpeedBy10, F::IdleValve, FixedRun{0x80, 0x00},
    F::Speed, F::VoltageOffset, FixedRun{0x00}, F::Injection125, F::AirFlowLowFirst,
    FixedRun{0x00, 0x00}, F::Fuel50, F::Consumption128, FixedRun{0x3C}, F::TroubleCount};

// Local identifier 03: fixed zeros behind the header.

const BlockLayout kJanuaryBlock03 = {FixedRun{0x61, 0x03, 0x54}, Zeros(9)};
const BlockLayout kJa7Block03 = {FixedRun{0x61, 0x03, 0x54}, Zeros(10)};
const BlockLayout kB7Block03 = {FixedRun{0x61, 0x03}, Zeros(16)};

const BlockLayout* Layout01(EcuVariant variant) {
    switch (variant) {
        case EcuVariant::Ja5: return &kJa5Block01;
        case EcuVariant::B1: return &kB1Block01;
        case EcuVariant::Ja7: return &kJa7Block01;
        case EcuVariant::B7: return &kB7Block01;
        case EcuVariant::BMP: return &kBmpBlock01;
        case EcuVariant::b17: return &kB17Block01;
    }
    return nullptr;
}

const BlockLayout* Layout02(EcuVariant variant) {
    switch (variant) {
        case EcuVariant::Ja5: return &kJa5Block02;
        case EcuVariant::B1: return &kB1Block02;
        case EcuVariant::Ja7: return &kJa7Block02;
        default: return nullptr;
    }
}

const BlockLayout* Layout03(EcuVariant variant) {
    switch (variant) {
        case EcuVariant::Ja5:
        case EcuVariant::B1: return &kJanuaryBlock03;
        case EcuVariant::Ja7: return &kJa7Block03;
        case EcuVariant::B7: return &kB7Block03;
        default: return nullptr;
    }
}

}  // namespace

const BlockLayout* LiveDataLayout(std::uint8_t localIdentifier, EcuVariant variant) {
    switch (localIdentifier) {
        case 0x01: return Layout01(variant);
        case 0x02: return Layout02(variant);
        case 0x03: return Layout03(variant);
        default: return nullptr;
    }
}

