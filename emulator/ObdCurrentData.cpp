#include <algorithm>
#include <array>
#include <cstdint>

#include "emulator/LiveValues.h"
#include "emulator/ObdPidFilling.h"
#include "protocol/ObdPids.h"
#include "emulator/ObdServices.h"

// OBD mode 01: current data, 41 PID and the PID's bytes, from the console's values now.

namespace {

constexpr std::uint8_t kCurrentData = 0x01;
constexpr std::uint8_t kReply = 0x41;

}  // namespace

void ObdCurrentData(const ObdRequest& request) {
    if (request.data[0] != kCurrentData || request.length < 2) {
        return;
    }
    const ObdPid* pid = FindObdPid(request.data[1]);
    if (pid == nullptr) {
        return;
    }
    std::array<std::uint8_t, 6> reply{kReply, pid->pid};
    if (pid->kind == ObdPidKind::Supported) {
        const auto map = ObdSupportedPids(pid->pid);
        std::copy(map.begin(), map.end(), reply.begin() + 2);
    } else {
        const LiveValues values(request.env, request.fluctuation);
        const std::uint32_t raw = FillObdPid(pid->pid, ObdInputs{values, request.env}).value_or(0);
        for (int i = 0; i < pid->size; ++i) {
            reply[static_cast<std::size_t>(2 + i)] = static_cast<std::uint8_t>(raw >> (8 * (pid->size - 1 - i)));
        }
    }
    request.reply.SendBytes(reply.data(), 2u + pid->size, FrameForm::Short);
}
