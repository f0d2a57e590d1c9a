#pragma once

#include <cstdint>

// The device's line-settings record, built from the port's properties and handed to the
// platform layer as one piece.
struct TSerLineSettings {
    // Flags bits.
    static constexpr std::uint32_t fBinary = 0x1;
    static constexpr std::uint32_t fParity = 0x2;
    static constexpr std::uint32_t fOutxCtsFlow = 0x4;
    static constexpr std::uint32_t fOutxDsrFlow = 0x8;
    static constexpr std::uint32_t fDtrEnable = 0x10;
    static constexpr std::uint32_t fDtrHandshake = 0x20;
    static constexpr std::uint32_t fDsrSensitivity = 0x40;
    static constexpr std::uint32_t fTxContinueOnXoff = 0x80;
    static constexpr std::uint32_t fOutX = 0x100;
    static constexpr std::uint32_t fInX = 0x200;
    static constexpr std::uint32_t fErrorChar = 0x400;
    static constexpr std::uint32_t fNull = 0x800;
    static constexpr std::uint32_t fRtsEnable = 0x1000;
    static constexpr std::uint32_t fRtsHandshake = 0x2000;
    static constexpr std::uint32_t fRtsToggle = 0x3000;
    static constexpr std::uint32_t fRtsControlMask = 0x3000;
    static constexpr std::uint32_t fDtrControlMask = 0x30;

    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;    // 0..4: none, odd, even, mark, space
    std::uint8_t StopBits = 0;  // 0, 1, 2: one, one and a half, two
    std::uint8_t XonChar = 0;
    std::uint8_t XoffChar = 0;
    std::uint8_t ErrorChar = 0;
    std::uint8_t EofChar = 0;
    std::uint8_t EvtChar = 0;

    bool operator==(const TSerLineSettings& other) const;
    bool operator!=(const TSerLineSettings& other) const { return !(*this == other); }
};
