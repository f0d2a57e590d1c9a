#pragma once

#include <array>
#include <cstdint>
#include <vector>


// The PIDs of OBD mode 01 (current data) this controller supports: what each means, and how
// its bytes read. One table serves the replies, the "PIDs supported" bit maps and the
// readers of the replies.

enum class ObdPidKind {
    Supported,      // bit map of the 32 PIDs after this one
    MonitorStatus,  // A: bit 7 the lamp (MIL), bits 0..6 the number of stored codes; B, C, D 00
    FuelSystem,     // A: 02 closed loop, 00 while the engine stands; B 00
    Standard,       // A: the OBD standard the controller meets (06 EOBD)
    Number,         // an unsigned number, high byte first: value = raw / scale - offset
};

struct ObdPid {
    std::uint8_t pid;
    std::uint8_t size;  // data bytes after 41 and the PID
    ObdPidKind kind;
    const char* name;
    const char* unit;  // empty when the value has none
    double scale;
    double offset;
};

// Every supported PID, in PID order.
const std::vector<ObdPid>& ObdCurrentDataPids();
// The table's entry for a PID, or nullptr when it is not supported.
const ObdPid* FindObdPid(std::uint8_t pid);
// The bit map answered for a "PIDs supported" PID: bit 7 of the first byte is PID base + 1,
// bit 0 of the last is base + 0x20.
std::array<std::uint8_t, 4> ObdSupportedPids(std::uint8_t base);
// The value a Number field's raw bytes stand for.
double ObdPidValue(const ObdPid& pid, std::uint32_t raw);
