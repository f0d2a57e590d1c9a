#pragma once

#include <cstdint>

#include "common/ThreadPriority.h"

// Property types of the serial port component.

enum TSerBaudrate {
    brUser, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200, br128000, br256000
};

enum TSerParity { paNone, paOdd, paEven, paMark, paSpace };

enum TSerDatabits { db4, db5, db6, db7, db8 };

enum TSerStopbits { sb1, sb15, sb2 };

// Set of TSerOption values.
using TSerOptions = std::uint32_t;
enum TSerOption : std::uint32_t {
    coErrorChar = 0x1,    // replace bytes with parity errors by ErrorChar
    coNullStrip = 0x2,    // discard null bytes
    coParityCheck = 0x4,  // check parity
};

// Line events; each value is the bit the event carries in the event mask.
using TSerEvents = std::uint32_t;
enum TSerEvent : std::uint32_t {
    ceRxChar = 0x1,
    ceRxFlag = 0x2,
    ceTxEmpty = 0x4,
    ceCts = 0x8,
    ceDsr = 0x10,
    ceRlsd = 0x20,
    ceBreak = 0x40,
    ceError = 0x80,
    ceRing = 0x100,
    cePErr = 0x200,
    ceRx80Full = 0x400,
    ceEvent1 = 0x800,
    ceEvent2 = 0x1000,
};
constexpr TSerEvents kAllSerEvents = 0x1FFF;

// Line error flags reported by OnError.
enum TSerLineError : std::uint32_t {
    leRxOver = 0x1,
    leOverrun = 0x2,
    leRxParity = 0x4,
    leFrame = 0x8,
    leBreak = 0x10,
    leTxFull = 0x100,
    leIOError = 0x400,  // the device failed or vanished
    leMode = 0x8000,
};

enum TSerDtrControl { dtrDisabled, dtrEnabled, dtrHandshake };

enum TSerRtsControl { rtsDisabled, rtsEnabled, rtsHandshake, rtsToggle };

