#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reply bytes written as the payload text the framer reads: upper-case pairs separated by
// single blanks ("61 01 08 35").
std::string PayloadText(const std::vector<std::uint8_t>& bytes);
