#pragma once

// Which header a reply frame gets.
enum class FrameForm {
    Short,   // length in the format byte; falls back to Long from 64 data bytes
    Long,    // always the separate length byte
    BySize,  // Short below 63 data bytes, Long from 63 on
};
