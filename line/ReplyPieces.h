#pragma once

#include <cstdint>
#include <vector>

// One reply as it is to leave: its bytes in pieces, each after a pause from the last byte of
// the piece before (a reply cut by a pause, a "response pending" followed by the real answer).
struct ReplyPiece {
    std::vector<std::uint8_t> bytes;
    int pauseBeforeMs = 0;
    bool sameFrame = false;  // the rest of the frame before it, cut off by the pause
};
using ReplyPieces = std::vector<ReplyPiece>;
