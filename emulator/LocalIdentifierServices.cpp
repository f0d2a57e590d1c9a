#include <cstdint>
#include <vector>

#include "emulator/DataServices.h"
#include "emulator/LiveDataBlocks.h"
#include "emulator/LiveValues.h"

// ReadDataByLocalIdentifier (21): the live blocks of 01 and 02 and the fixed block of 03.

namespace {

bool Requests(const ServiceContext& ctx, std::uint8_t localIdentifier) {
    return ctx.RequestData[0] == 0x21 && ctx.RequestData[1] == localIdentifier;
}

void SendBlock(ServiceContext& ctx, const BlockLayout& layout, FrameForm form) {
    const LiveValues values(ctx.env, ctx.fluctuation);
    const std::vector<std::uint8_t> block = BuildLiveDataBlock(layout, values);
    ctx.reply.SendBytes(block.data(), block.size(), form);
}

// 7F 21 12: the controller has no such block.
void Refuse(ServiceContext& ctx) {
    ctx.reply.SendHexResponse("7F 21 12", FrameForm::Short);
}

}  // namespace

void ReadDataByLocalIdentifier01(ServiceContext& ctx) {
    if (!Requests(ctx, 0x01)) {
        return;
    }
    if (const BlockLayout* layout = LiveDataLayout(0x01, ctx.env.Variant())) {
        SendBlock(ctx, *layout, FrameForm::BySize);
    }
}

void ReadDataByLocalIdentifier02(ServiceContext& ctx) {
    if (!Requests(ctx, 0x02)) {
        return;
    }
    const EcuVariant variant = ctx.env.Variant();
    if (const BlockLayout* layout = LiveDataLayout(0x02, variant)) {
        // The January-family testers expect this block with the separate length byte.
        SendBlock(ctx, *layout, FrameForm::Long);
    } else if (variant == EcuVariant::B7) {
        Refuse(ctx);
    }
}

void ReadDataByLocalIdentifier03(ServiceContext& ctx) {
    if (!Requests(ctx, 0x03)) {
        return;
    }
    const EcuVariant variant = ctx.env.Variant();
    if (const BlockLayout* layout = LiveDataLayout(0x03, variant)) {
        SendBlock(ctx, *layout, FrameForm::Short);
    } else if (variant == EcuVariant::b17) {
        Refuse(ctx);
    }
}
