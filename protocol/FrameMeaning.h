#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/EcuVariant.h"

// What a K-line frame means to a person reading the line: its header, the service by name,
// a negative response with its code named, a live-data block field by field, the OBD-II
// modes and PIDs. Plain text, for the link monitor: its rows, its report and its window.
namespace FrameMeaning {

// The header of a frame whose format byte is 0x80 or above, or of an ISO 9141-2 frame (68 6A
// or 48 6B, no length: all its bytes up to the checksum are data); `valid` false when the
// bytes are too few for the size the header announces.
struct Header {
    bool valid = false;
    bool functional = false;  // format bytes 0xC0..0xFF
    bool iso9141 = false;
    std::uint8_t format = 0;
    std::uint8_t target = 0;
    std::uint8_t source = 0;
    std::size_t dataOffset = 0;
    std::size_t length = 0;  // data bytes
    bool checksumOk = false;
    std::uint8_t checksum = 0;  // as received
    std::uint8_t expected = 0;  // the sum of the bytes before it
};

Header ReadHeader(const std::uint8_t* frame, std::size_t n);

// "StartCommunication", "ReadDataByLocalIdentifier", ... for a request's service identifier
// or the positive reply to it (identifier + 0x40); an empty text when unknown.
std::string ServiceName(std::uint8_t sid);

// The text of a negative response code, e.g. 0x21 "busy, repeat request".
std::string NegativeResponseText(std::uint8_t code);

// The service a frame's data names, with the parameter that picks what it reads, as the
// report counts requests: "21 01", "1A 9A", "81", "01 0C".
std::string ServiceKey(const std::uint8_t* data, std::size_t n);

// The meaning of a whole frame, its header after the service. Live-data replies are decoded for `variant`.
std::string Describe(const std::uint8_t* frame, std::size_t n, EcuVariant variant);

}  // namespace FrameMeaning
