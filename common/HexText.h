#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Bytes as upper-case hex pairs separated by single blanks: "81 10 F1 81 03". This is how
// frames are shown everywhere: the request log, the trace, the tester's output.
std::string HexText(const std::uint8_t* bytes, std::size_t count);
inline std::string HexText(const std::vector<std::uint8_t>& bytes) {
    return HexText(bytes.data(), bytes.size());
}

// Appends a blank and a pair for every byte, for a line that already holds its prefix:
// "RX" becomes "RX 81 10".
void AppendHexText(std::string& line, const std::uint8_t* bytes, std::size_t count);
