#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "emulator/ObdServices.h"
#include "emulator/TroubleCodeBytes.h"

// OBD mode 03: every ticked item of the trouble-code list as its code, in list order,
// three codes to a frame and the last frame filled up with 00 00.

namespace {

constexpr std::uint8_t kStoredCodes = 0x03;
constexpr std::uint8_t kReply = 0x43;
constexpr std::size_t kCodesPerFrame = 3;

}  // namespace

void ObdStoredTroubleCodes(const ObdRequest& request) {
    if (request.data[0] != kStoredCodes) {
        return;
    }
    // All codes are read before the first frame goes out: an item that is no code
    // abandons the whole answer.
    std::vector<std::uint8_t> codes;
    const int items = request.env.TroubleCodeItemCount();
    for (int i = 0; i < items; ++i) {
        if (request.env.TroubleCodeTicked(i)) {
            const auto code = TroubleCodeBytes(request.env.TroubleCodeItemText(i));
            codes.insert(codes.end(), code.begin(), code.end());
        }
    }
    // No code stored: one frame of zeros.
    const std::size_t frames = codes.empty() ? 1 : (codes.size() / 2 + kCodesPerFrame - 1) / kCodesPerFrame;
    codes.resize(frames * kCodesPerFrame * 2, 0x00);
    for (std::size_t f = 0; f < frames; ++f) {
        std::array<std::uint8_t, 1 + kCodesPerFrame * 2> reply{kReply};
        std::copy_n(codes.begin() + static_cast<std::ptrdiff_t>(f * kCodesPerFrame * 2), kCodesPerFrame * 2,
                    reply.begin() + 1);
        request.reply.SendBytes(reply.data(), reply.size(), FrameForm::Short);
    }
}
