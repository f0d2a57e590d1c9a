#include "emulator/LiveDataBlocks.h"

#include "emulator/FieldEncoding.h"

std::vector<std::uint8_t> BuildLiveDataBlock(const BlockLayout& layout, const LiveValues& values) {
    std::vector<std::uint8_t> block;
    block.reserve(80);
    for (const BlockPiece& piece : layout) {
        if (const auto* run = std::get_if<FixedRun>(&piece)) {
            block.insert(block.end(), run->begin(), run->end());
        } else {
            const FieldBytes field = EncodeField(std::get<Field>(piece), values);
            block.insert(block.end(), field.bytes.begin(), field.bytes.begin() + field.size);
        }
    }
    return block;
}
