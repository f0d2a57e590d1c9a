#include <cstdint>
#include <string>
#include <vector>

#include "emulator/DataServices.h"
#include "emulator/TroubleCodeBytes.h"

// ReadDTCByStatus (18) and ClearDiagnosticInformation (14 00 00).

namespace {

// 58, the count and three bytes per code must fit one frame of 255 data bytes.
constexpr int kMaxReportedCodes = 84;
constexpr std::uint8_t kStoredStatus = 0xE0;

void AppendCode(const std::string& item, std::vector<std::uint8_t>& data) {
    const auto code = TroubleCodeBytes(item);
    data.insert(data.end(), code.begin(), code.end());
    data.push_back(kStoredStatus);
}

}  // namespace

void ReadDTCByStatus(ServiceContext& ctx) {
    if (ctx.RequestData[0] != 0x18) {
        return;
    }
    std::vector<std::uint8_t> data{0x58, 0x00};
    int reported = 0;
    const int items = ctx.env.TroubleCodeItemCount();
    for (int i = 0; i < items && reported < kMaxReportedCodes; ++i) {
        if (ctx.env.TroubleCodeTicked(i)) {
            AppendCode(ctx.env.TroubleCodeItemText(i), data);
            ++reported;
        }
    }
    data[1] = static_cast<std::uint8_t>(reported);
    ctx.reply.SendBytes(data.data(), data.size(), FrameForm::Short);
}

void ClearDiagnosticInformation(ServiceContext& ctx) {
    if (ctx.RequestData[0] != 0x14 || ctx.RequestData[1] != 0x00 || ctx.RequestData[2] != 0x00) {
        return;
    }
    // The ticks stay: the codes are only shown as cleared, on both lamps, for 5 s.
    ctx.env.SetLamp(Lamp::UiLED3, true);
    ctx.env.SetLamp(Lamp::UiLED5, true);
    ctx.env.EnableResetTimer();
    ctx.reply.SendHexResponse("54 00 00", FrameForm::Short);
}
