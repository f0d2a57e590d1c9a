#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

// ISO 9141-2 frames, as a link opened by a slow init with key bytes 08 08 carries them: three
// header bytes, at most 7 data bytes and the 8-bit sum of all bytes before it; no length byte.
// Requests come with 68 6A F1, replies go with 48 6B and the replying controller's address.
constexpr std::array<std::uint8_t, 3> kIso9141RequestHeader = {0x68, 0x6A, 0xF1};
constexpr std::uint8_t kIso9141ReplyPriority = 0x48;
constexpr std::uint8_t kIso9141ReplyTarget = 0x6B;
constexpr std::size_t kIso9141MaxData = 7;
constexpr std::size_t kIso9141HeaderSize = 3;
constexpr std::size_t kIso9141MaxFrame = kIso9141HeaderSize + kIso9141MaxData + 1;
// A controller whose key bytes are 08 08 answers no earlier than P2min after a request.
constexpr std::chrono::milliseconds kIso9141P2Min{25};

// 48 6B `source` + data + checksum into `out`; the frame's size, or 0 (nothing written) for no
// data, more than 7 data bytes or too little room.
std::size_t Iso9141ReplyInto(std::uint8_t* out, std::size_t capacity, std::uint8_t source,
                             const std::uint8_t* data, std::size_t n);

// 68 6A F1 + data + checksum; empty for no data or more than 7 data bytes.
std::vector<std::uint8_t> BuildIso9141Request(const std::uint8_t* data, std::size_t n);

// Whether the bytes make a whole frame: a header, data, and a checksum that closes it.
bool Iso9141FrameCloses(const std::uint8_t* bytes, std::size_t n);
