#include <array>
#include <cstdint>

#include "emulator/ObdServices.h"

// OBD mode 07: codes detected in the current drive cycle. The console keeps only stored
// codes, so there are never pending ones.

void ObdPendingTroubleCodes(const ObdRequest& request) {
    if (request.data[0] != 0x07) {
        return;
    }
    const std::array<std::uint8_t, 7> reply{0x47, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    request.reply.SendBytes(reply.data(), reply.size(), FrameForm::Short);
}
