#include <cstdint>

#include "emulator/ObdServices.h"

// OBD mode 04: the tester clears the stored codes. The list is emptied and the operator
// sees it on the two clear lamps for 5 s, as after ClearDiagnosticInformation.

void ObdClearTroubleCodes(const ObdRequest& request) {
    if (request.data[0] != 0x04) {
        return;
    }
    request.env.ClearTroubleCodes();
    request.env.SetLamp(Lamp::UiLED3, true);
    request.env.SetLamp(Lamp::UiLED5, true);
    request.env.EnableResetTimer();
    const std::uint8_t reply = 0x44;
    request.reply.SendBytes(&reply, 1, FrameForm::Short);
}
