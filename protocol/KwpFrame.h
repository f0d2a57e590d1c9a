#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/FrameForm.h"

// K-line frames: format byte (0x81..0xBF carry the data length in their low six bits,
// 0x80 announces a separate length byte after the addresses), target, source, optional
// length byte, data bytes, and the 8-bit sum of all preceding bytes as checksum. Frames
// with functional addressing (format bytes 0xC0..0xFF, as OBD testers send to 0x33) follow
// the same length rules.
// These helpers hold no state: the emulator and the bench tester tool share them.

constexpr std::size_t kMaxFrameData = 255;
constexpr std::size_t kMaxFrameSize = kMaxFrameData + 5;

// Low 8 bits of the sum of the bytes.
std::uint8_t FrameChecksum(const std::uint8_t* bytes, std::size_t n);

// Frames n data bytes from `source` to `target` into `out` and returns the frame size,
// or 0 (nothing written) when n exceeds 255 or `capacity` is too small.
// Short: length in the format byte (Long from 64 data bytes, where six bits cannot hold
// it); Long: always the length byte; BySize: Short below 63 data bytes, Long from 63 on.
std::size_t FrameInto(std::uint8_t* out, std::size_t capacity, std::uint8_t target, std::uint8_t source,
                      const std::uint8_t* data, std::size_t n, FrameForm form);

// The same, as a new vector; empty for n > 255.
std::vector<std::uint8_t> BuildFrame(std::uint8_t target, std::uint8_t source, const std::uint8_t* data,
                                     std::size_t n, FrameForm form);

// The functional address of OBD requests: every controller that carries OBD-II listens.
constexpr std::uint8_t kObdFunctionalAddress = 0x33;

// A request with functional addressing: format byte 0xC0 + n, or 0xC0 and the length byte
// from 64 data bytes on. Empty for n > 255.
std::vector<std::uint8_t> BuildFunctionalFrame(std::uint8_t target, std::uint8_t source, const std::uint8_t* data,
                                               std::size_t n);

// Reply data written as text: blanks are ignored, the rest read as pairs of hexadecimal
// digits, a lone character at the end dropped. nullopt when a pair is not hexadecimal;
// then `badPair`, when given, receives that pair.
std::optional<std::vector<std::uint8_t>> ParseHexPayload(std::string_view text,
                                                         std::string* badPair = nullptr);

// How far the bytes at the start of a frame tell its size.
struct FrameSize {
    enum class Status {
        Known,      // `bytes` is the whole frame's size: L + 4, or L + 5 with the length byte
        NeedMore,   // `bytes` must have arrived before the size is known
        NotServed,  // the first byte is not a format byte this emulator serves
    };
    Status status;
    std::size_t bytes;
};

// Reads the header of a frame of which `available` bytes have arrived. Format bytes of
// functional addressing are served only when `acceptFunctional` is set.
FrameSize ExpectedFrameSize(const std::uint8_t* header, std::size_t available, bool acceptFunctional = false);

// A whole frame taken apart; `data` points into the frame.
struct FrameView {
    std::uint8_t target;
    std::uint8_t source;
    const std::uint8_t* data;
    std::size_t length;
    bool functional = false;  // format byte 0xC0..0xFF
};

// Splits a frame whose size ExpectedFrameSize has confirmed. The checksum is not checked.
FrameView DecodeFrame(const std::uint8_t* frame);
