#include <cstdint>
#include <vector>

#include "emulator/DataServices.h"

// InputOutputControlByLocalIdentifier (30) and ECUReset (11 01).

namespace {

struct LampPair {
    std::uint8_t localIdentifier;
    Lamp on;
    Lamp off;
};

// Fan relays and ignition coils the tester may drive; every other LID is answered
// without a lamp.
constexpr LampPair kLampPairs[] = {
    {0x0A, Lamp::ESUDCONTROL2ON, Lamp::ESUDCONTROL2OFF},  // fan relay
    {0x09, Lamp::ESUDCONTROL1ON, Lamp::ESUDCONTROL1OFF},  // fan relay 2
    {0x05, Lamp::ESUDCONTROL5ON, Lamp::ESUDCONTROL5OFF},  // coil, cylinders 1-4
    {0x06, Lamp::ESUDCONTROL6ON, Lamp::ESUDCONTROL6OFF},  // coil, cylinders 2-3
    {0x07, Lamp::ESUDCONTROL7ON, Lamp::ESUDCONTROL7OFF},  // coil, cylinders 2-3 (M7.9.7)
    {0x08, Lamp::ESUDCONTROL8ON, Lamp::ESUDCONTROL8OFF},  // coil, cylinders 1-4 (M7.9.7)
};

constexpr std::uint8_t kReturnControl = 0x00;
constexpr std::uint8_t kReportState = 0x01;
constexpr std::uint8_t kSetState = 0x06;
constexpr std::uint8_t kSetValue = 0x07;

const LampPair* PairOf(std::uint8_t localIdentifier) {
    for (const LampPair& pair : kLampPairs) {
        if (pair.localIdentifier == localIdentifier) {
            return &pair;
        }
    }
    return nullptr;
}

bool Requests(const ServiceContext& ctx, std::uint8_t parameter) {
    return ctx.RequestData[0] == 0x30 && ctx.RequestData[2] == parameter;
}

void Reply(ServiceContext& ctx, const std::vector<std::uint8_t>& data) {
    ctx.reply.SendBytes(data.data(), data.size(), FrameForm::Short);
}

// The adjustable values are answered with fixed readings; a set value is echoed, not kept.
void SetValue(ServiceContext& ctx, std::uint8_t localIdentifier) {
    if (Requests(ctx, kSetValue) && ctx.RequestData[1] == localIdentifier) {
        Reply(ctx, {0x70, localIdentifier, kSetValue, ctx.RequestData[3]});
    }
}

}  // namespace

void IoControlReturnControl(ServiceContext& ctx) {
    if (!Requests(ctx, kReturnControl)) {
        return;
    }
    const std::uint8_t lid = ctx.RequestData[1];
    if (const LampPair* pair = PairOf(lid)) {
        ctx.env.SetLamp(pair->on, false);
        ctx.env.SetLamp(pair->off, false);
    }
    Reply(ctx, {0x70, lid, kReturnControl});
}

void IoControlSetState(ServiceContext& ctx) {
    if (!Requests(ctx, kSetState)) {
        return;
    }
    const std::uint8_t lid = ctx.RequestData[1];
    const std::uint8_t state = ctx.RequestData[3];
    if (const LampPair* pair = PairOf(lid)) {
        ctx.env.SetLamp(pair->on, state != 0);
        ctx.env.SetLamp(pair->off, state == 0);
    }
    Reply(ctx, {0x70, lid, kSetState, state});
}

void IoControlReportState(ServiceContext& ctx) {
    if (!Requests(ctx, kReportState)) {
        return;
    }
    const std::uint8_t lid = ctx.RequestData[1];
    std::uint8_t reading = 0x00;
    if (lid == 0x41) {
        reading = 0x67;
    } else if (lid == 0x42) {
        reading = 0x64;
    }
    Reply(ctx, {0x70, lid, kReportState, reading});
}

void EcuReset(ServiceContext& ctx) {
    if (ctx.RequestData[0] != 0x11 || ctx.RequestData[1] != 0x01) {
        return;
    }
    // Only the lamp shows the reset: the session, the codes and the values stay.
    ctx.env.SetLamp(Lamp::UiLED4, true);
    ctx.env.EnableResetTimer();
    ctx.reply.SendHexResponse("51", FrameForm::Short);
}

void IoControlSetValue41(ServiceContext& ctx) {
    SetValue(ctx, 0x41);
}

void IoControlSetValue42(ServiceContext& ctx) {
    SetValue(ctx, 0x42);
}
