#pragma once

// The value of one hex digit in either case, or -1 for any other character: frames are read
// back from text typed by people, so "8a" and "8A" are the same byte.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
