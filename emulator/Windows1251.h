#pragma once

#include <cstdint>
#include <string>
#include <vector>

// UTF-8 console text as the single-byte Cyrillic code page the trip computers read: ASCII
// as ASCII, Cyrillic letters and the page's other signs by their code, and "?" (3F) for a
// character the page cannot hold or a broken UTF-8 sequence. One byte per character.
std::vector<std::uint8_t> ToWindows1251(const std::string& utf8);
