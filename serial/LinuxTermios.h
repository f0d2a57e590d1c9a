#pragma once

#include "serial/TSerLineSettings.h"

#include <cstdint>

// The kernel's termios2 record, laid out as the kernel has it but free of the kernel header
// (which clashes with the C library's termios.h).
struct TermiosImage {
    std::uint32_t iflag = 0;
    std::uint32_t oflag = 0;
    std::uint32_t cflag = 0;
    std::uint32_t lflag = 0;
    std::uint8_t line = 0;
    std::uint8_t cc[19] = {};
    std::uint32_t ispeed = 0;
    std::uint32_t ospeed = 0;
};

// Raw line with the record's rate (any rate, through BOTHER), size, parity, stop bits and
// software/hardware handshake. False when the record asks for what termios cannot do
// (4 data bits, rate 0).
bool TermiosFromLineSettings(const TSerLineSettings& settings, TermiosImage& image);

// TCSETS2 / TCGETS2; 0 or -1 with errno set.
int SetTermios2(int fd, const TermiosImage& image);
int GetTermios2(int fd, TermiosImage& image);
// A raw line that keeps its present rate.
int MakeRawTermios2(int fd);

// Raw 8N1 without any handshake at `baud` (any rate, through BOTHER), on top of the record
// the line has: what it does not name stays. Reads return at once with what is there.
void MakeRaw8N1(TermiosImage& image, std::uint32_t baud);
