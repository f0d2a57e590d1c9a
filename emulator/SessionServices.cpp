#include "emulator/SessionServices.h"

#include <array>

#include "emulator/AnsweringAddress.h"

namespace {

constexpr std::uint8_t kStartCommunication = 0x81;
constexpr std::uint8_t kStopCommunication = 0x82;
constexpr std::uint8_t kAccessTimingParameters = 0x83;
constexpr std::uint8_t kStartDiagnosticSession = 0x10;
constexpr std::uint8_t kTesterPresent = 0x3E;

// The StartCommunication replies are fixed frames to F1, whatever the request's source.
constexpr std::array<std::uint8_t, 7> kKeysAt10 = {0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F};
constexpr std::array<std::uint8_t, 7> kKeysAt10M797 = {0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3};
constexpr std::array<std::uint8_t, 7> kKeysAt11 = {0x83, 0xF1, 0x11, 0xC1, 0x6B, 0x8F, 0x40};
constexpr std::array<std::uint8_t, 6> kSessionAt10 = {0x82, 0xF1, 0x10, 0x50, 0x81, 0x54};

bool Is(const SessionContext& ctx, std::uint8_t serviceId) {
    return ctx.service.RequestData[0] == serviceId;
}

// C3 followed by RequestData[1..6], whatever the request's length: positions beyond it
// still hold bytes of earlier requests.
void AcceptTiming(SessionContext& ctx) {
    const auto& data = ctx.service.RequestData;
    const std::array<std::uint8_t, 7> reply = {0xC3, data[1], data[2], data[3], data[4], data[5], data[6]};
    ctx.framer.SendBytes(reply.data(), reply.size(), FrameForm::Short);
}

// The type's StartCommunication reply at `target`; null where it does not answer there.
const std::array<std::uint8_t, 7>* KeyFrame(std::uint8_t target, EcuVariant variant) {
    switch (BranchAt(target, variant)) {
    case ServiceBranch::At10:
        return variant == EcuVariant::B7 ? &kKeysAt10M797 : &kKeysAt10;
    case ServiceBranch::At11:
        return &kKeysAt11;
    case ServiceBranch::None:
        break;
    }
    return nullptr;
}

constexpr std::size_t kFirstKeyByte = 4;

}  // namespace

void StartCommunication(SessionContext& ctx) {
    if (!Is(ctx, kStartCommunication)) {
        return;
    }
    if (const auto* keys = KeyFrame(ctx.service.RequestTarget, ctx.service.env.Variant())) {
        ctx.CommunicationActive = true;
        ctx.framer.SendFixed(*keys);
    }
}

std::optional<std::array<std::uint8_t, 2>> StartCommunicationKeyBytes(std::uint8_t target, EcuVariant variant) {
    const auto* keys = KeyFrame(target, variant);
    if (keys == nullptr) {
        return std::nullopt;
    }
    return std::array<std::uint8_t, 2>{(*keys)[kFirstKeyByte], (*keys)[kFirstKeyByte + 1]};
}

void StopCommunication(SessionContext& ctx) {
    if (Is(ctx, kStopCommunication)) {
        ctx.framer.SendSingleByte(0xC2);
    }
}

void AccessTimingParametersAt10(SessionContext& ctx) {
    if (!Is(ctx, kAccessTimingParameters)) {
        return;
    }
    const EcuVariant variant = ctx.service.env.Variant();
    if (variant == EcuVariant::B7 || variant == EcuVariant::b17) {
        AcceptTiming(ctx);
    } else {
        ctx.framer.SendHexResponse("7F 83 12", FrameForm::Short);
    }
}

void AccessTimingParametersAt11(SessionContext& ctx) {
    if (!Is(ctx, kAccessTimingParameters)) {
        return;
    }
    // MP7.0 takes only the timing set with 0x50 in position 3; anything else is refused.
    if (ctx.service.env.Variant() == EcuVariant::BMP && ctx.service.RequestData[3] != 0x50) {
        ctx.framer.SendHexResponse("7F 83 31", FrameForm::Short);
    } else {
        AcceptTiming(ctx);
    }
}

void StartDiagnosticSessionAt10(SessionContext& ctx) {
    if (Is(ctx, kStartDiagnosticSession)) {
        ctx.framer.SendFixed(kSessionAt10);
    }
}

void StartDiagnosticSessionAt11(SessionContext& ctx) {
    if (Is(ctx, kStartDiagnosticSession)) {
        ctx.framer.SendHexResponse("50 81", FrameForm::Short);
    }
}

void TesterPresent(SessionContext& ctx) {
    if (Is(ctx, kTesterPresent)) {
        ctx.framer.SendSingleByte(0x7E);
    }
}
