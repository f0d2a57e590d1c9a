#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "emulator/ObdServices.h"
#include "emulator/Windows1251.h"

// OBD mode 09: vehicle information in the K-line form, where every item that takes
// several frames has its message count as a PID of its own and each frame carries its
// number after the PID.

namespace {

constexpr std::uint8_t kVehicleInformation = 0x09;
constexpr std::uint8_t kReply = 0x49;

constexpr std::uint8_t kSupported = 0x00;
constexpr std::uint8_t kVinCount = 0x01;
constexpr std::uint8_t kVin = 0x02;
constexpr std::uint8_t kCalibrationIdCount = 0x03;
constexpr std::uint8_t kCalibrationId = 0x04;

constexpr std::size_t kVinLength = 17;
constexpr std::size_t kCalibrationIdLength = 16;
constexpr std::size_t kBytesPerFrame = 4;
// Three zero bytes lead the VIN's first character.
constexpr std::size_t kVinFrameBytes = 3 + kVinLength;
constexpr auto kVinFrames = static_cast<std::uint8_t>(kVinFrameBytes / kBytesPerFrame);
constexpr auto kCalibrationIdFrames = static_cast<std::uint8_t>(kCalibrationIdLength / kBytesPerFrame);

// One byte per character, as ASCII; a character outside ASCII becomes "?".
std::vector<std::uint8_t> Ascii(const std::string& text) {
    std::vector<std::uint8_t> bytes = ToWindows1251(text);
    for (std::uint8_t& b : bytes) {
        if (b >= 0x80) {
            b = '?';
        }
    }
    return bytes;
}

void Send(const ObdRequest& request, std::initializer_list<std::uint8_t> bytes) {
    request.reply.SendBytes(bytes.begin(), bytes.size(), FrameForm::Short);
}

// 49 PID n and four bytes, n counting the frames from 1.
void SendNumbered(const ObdRequest& request, std::uint8_t pid, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t n = 0; n * kBytesPerFrame < bytes.size(); ++n) {
        std::array<std::uint8_t, 3 + kBytesPerFrame> reply{kReply, pid, static_cast<std::uint8_t>(n + 1)};
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(n * kBytesPerFrame), kBytesPerFrame,
                    reply.begin() + 3);
        request.reply.SendBytes(reply.data(), reply.size(), FrameForm::Short);
    }
}

// The first 17 characters, a shorter VIN padded in front with zero bytes; the first frame
// carries three zero bytes before the first character.
std::vector<std::uint8_t> VinBytes(const EcuEnvironment& env) {
    std::vector<std::uint8_t> text = Ascii(env.IdentificationText(IdentField::Vin));
    text.resize(std::min(text.size(), kVinLength));
    std::vector<std::uint8_t> bytes(kVinFrameBytes - text.size(), 0x00);
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}

// The ROM version, cut or padded after with zero bytes to 16.
std::vector<std::uint8_t> CalibrationIdBytes(const EcuEnvironment& env) {
    std::vector<std::uint8_t> bytes = Ascii(env.IdentificationText(IdentField::RomVersion));
    bytes.resize(kCalibrationIdLength, 0x00);
    return bytes;
}

}  // namespace

void ObdVehicleInformation(const ObdRequest& request) {
    if (request.data[0] != kVehicleInformation || request.length < 2) {
        return;
    }
    switch (request.data[1]) {
    case kSupported:
        Send(request, {kReply, kSupported, 0xF0, 0x00, 0x00, 0x00});  // 01 to 04
        break;
    case kVinCount:
        Send(request, {kReply, kVinCount, kVinFrames});
        break;
    case kVin:
        SendNumbered(request, kVin, VinBytes(request.env));
        break;
    case kCalibrationIdCount:
        Send(request, {kReply, kCalibrationIdCount, kCalibrationIdFrames});
        break;
    case kCalibrationId:
        SendNumbered(request, kCalibrationId, CalibrationIdBytes(request.env));
        break;
    default:
        break;
    }
}
