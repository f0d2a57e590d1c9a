#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "protocol/EcuVariant.h"

// The variable fields of the live-data blocks. Each scales one engine value into one or
// two bytes; a value beyond its field is clamped to 0..255 (one byte) or 0..65535 (two),
// so the bytes after it stay in place.
enum class Field {
    RunState,           // 01 stopped, 02 below 1000 rpm, 00 from 1000 rpm
    CoolantPlus40,      // T + 40
    CoolantFourThirds,  // R((T + 48) × 4 / 3)
    ThrottlePercent,    // P
    Throttle255,        // R(P × 2.55)
    Throttle256,        // R(P × 2.56)
    Throttle4095,       // R(P × 40.95), high first
    EngineSpeedBy40,    // R(N / 40)
    EngineSpeedTimes4,  // N × 4, high first
    IdleSpeedBy10,      // R(I / 10)
    IdleValve,          // A
    IdleValve65535,     // R(A × 65535 / 100), high first
    Speed,              // Vd
    SpeedBy125,         // R(Vd / 1.25)
    VoltageOffset,      // R((U − 5.2) / 0.05)
    Voltage073675,      // R(U / 0.073675)
    Voltage0943,        // R(U / 0.0943)
    VoltageTimes10,     // R(U × 10)
    Injection125,       // R(J × 125), low first
    Injection01333,     // R(J / 0.01333), high first
    Injection15625,     // R(J × 156.25), high first
    Injection024,       // R(J × 1000 / 24), high first
    AirFlowLowFirst,    // R(M × 10), low first
    AirFlowHighFirst,   // R(M × 10), high first
    AirFlowBy025,       // R(M / 0.25)
    Fuel50,             // R(Qd × 50), low first
    Fuel466,            // R(Qd × 524288 / 1125), high first
    Fuel463,            // R(Qd × 462.9556371856456849), high first
    Consumption128,     // R(C × 128), low first
    TroubleCount,       // K
};

// The blocks of local identifiers 01, 02 and 03 as data: each a run of fixed bytes and
// fields, in the order they go out.
using FixedRun = std::vector<std::uint8_t>;
using BlockPiece = std::variant<FixedRun, Field>;
using BlockLayout = std::vector<BlockPiece>;

// The layout a controller type answers with, or nullptr when it has none for that local
// identifier.
const BlockLayout* LiveDataLayout(std::uint8_t localIdentifier, EcuVariant variant);
