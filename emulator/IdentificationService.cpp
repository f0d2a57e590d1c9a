#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "emulator/DataServices.h"
#include "emulator/Windows1251.h"

// ReadEcuIdentification (1A): the identification text of the requested option, one byte
// per character.

namespace {

struct IdentOption {
    std::uint8_t option;
    IdentField field;
};

constexpr IdentOption kOptions[] = {
    {0x9A, IdentField::RomVersion},      {0x90, IdentField::Vin},
    {0x91, IdentField::EcuSerialNumber}, {0x97, IdentField::EngineId},
    {0x99, IdentField::ProgrammingDate}, {0x92, IdentField::HardwareNumber},
    {0x94, IdentField::SoftwareNumber},
};

// One frame carries at most 255 data bytes: 5A, the option and 253 characters.
constexpr std::size_t kMaxTextBytes = 253;

}  // namespace

void ReadEcuIdentification(ServiceContext& ctx) {
    if (ctx.RequestData[0] != 0x1A) {
        return;
    }
    const std::uint8_t option = ctx.RequestData[1];
    for (const IdentOption& entry : kOptions) {
        if (entry.option != option) {
            continue;
        }
        std::vector<std::uint8_t> data{0x5A, option};
        const std::vector<std::uint8_t> text = ToWindows1251(ctx.env.IdentificationText(entry.field));
        data.insert(data.end(), text.begin(), text.begin() + std::min(text.size(), kMaxTextBytes));
        ctx.reply.SendBytes(data.data(), data.size(), FrameForm::Short);
        return;
    }
    // 7F 1A 12: no such identification option.
    ctx.reply.SendHexResponse("7F 1A 12", FrameForm::Short);
}
