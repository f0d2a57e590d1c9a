#include "protocol/FrameMeaning.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "common/HexText.h"
#include "protocol/Iso9141Frame.h"
#include "protocol/KwpFrame.h"
#include "protocol/LiveBlockDecoder.h"
#include "protocol/ObdPids.h"
#include "protocol/ObdReplyDecoder.h"

namespace FrameMeaning {

namespace {

std::string Hex(std::uint8_t byte) {
    return HexText(&byte, 1);
}

struct Named {
    std::uint8_t code;
    const char* name;
};

constexpr Named kServices[] = {
    {0x01, "OBD ShowCurrentData"},
    {0x02, "OBD ShowFreezeFrameData"},
    {0x03, "OBD ShowStoredTroubleCodes"},
    {0x04, "OBD ClearTroubleCodes"},
    {0x05, "OBD OxygenSensorMonitoring"},
    {0x06, "OBD OnBoardMonitoring"},
    {0x07, "OBD ShowPendingTroubleCodes"},
    {0x08, "OBD ControlOnBoardSystem"},
    {0x09, "OBD VehicleInformation"},
    {0x10, "StartDiagnosticSession"},
    {0x11, "ECUReset"},
    {0x14, "ClearDiagnosticInformation"},
    {0x17, "ReadStatusOfDTC"},
    {0x18, "ReadDTCByStatus"},
    {0x1A, "ReadEcuIdentification"},
    {0x20, "StopDiagnosticSession"},
    {0x21, "ReadDataByLocalIdentifier"},
    {0x22, "ReadDataByCommonIdentifier"},
    {0x23, "ReadMemoryByAddress"},
    {0x27, "SecurityAccess"},
    {0x30, "InputOutputControlByLocalIdentifier"},
    {0x31, "StartRoutineByLocalIdentifier"},
    {0x3B, "WriteDataByLocalIdentifier"},
    {0x3E, "TesterPresent"},
    {0x81, "StartCommunication"},
    {0x82, "StopCommunication"},
    {0x83, "AccessTimingParameters"},
};

constexpr Named kNegativeCodes[] = {
    {0x10, "general reject"},
    {0x11, "service not supported"},
    {0x12, "sub-function not supported / invalid format"},
    {0x21, "busy, repeat request"},
    {0x22, "conditions not correct"},
    {0x23, "routine not complete"},
    {0x31, "request out of range"},
    {0x33, "security access denied"},
    {0x35, "invalid key"},
    {0x36, "exceeded number of attempts"},
    {0x37, "required time delay not expired"},
    {0x78, "response pending"},
    {0x80, "service not supported in active diagnostic session"},
};

constexpr Named kVehicleInfo[] = {
    {0x00, "PIDs 01-20 supported"}, {0x01, "VIN message count"}, {0x02, "VIN"},
    {0x03, "calibration ID message count"}, {0x04, "calibration ID"},
};

template <std::size_t N>
const char* Find(const Named (&table)[N], std::uint8_t code) {
    for (const Named& entry : table) {
        if (entry.code == code) return entry.name;
    }
    return nullptr;
}

std::string Number(double value) {
    char text[32];
    const double rounded = std::round(value * 1000) / 1000;
    std::snprintf(text, sizeof text, "%g", rounded);
    return text;
}

// Services whose first parameter picks what they read or do.
bool HasSelector(std::uint8_t sid) {
    switch (sid) {
    case 0x01: case 0x02: case 0x09: case 0x10: case 0x1A: case 0x21: case 0x30: case 0x31: case 0x3B:
        return true;
    default:
        return false;
    }
}

std::string Printable(const std::uint8_t* data, std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        text += data[i] >= 0x20 && data[i] < 0x7F ? static_cast<char>(data[i]) : '.';
    }
    return text;
}

std::string ObdCurrentData(const std::uint8_t* data, std::size_t n, bool reply) {
    if (n < 2) return {};
    const ObdPid* pid = FindObdPid(data[1]);
    std::string text = " PID " + Hex(data[1]);
    if (pid == nullptr) return text;
    text += std::string(" ") + pid->name;
    const std::optional<double> value = reply ? ObdReplyDecoder::CurrentNumber(*pid, data + 2, n - 2) : std::nullopt;
    if (!value) return text;
    return text + ": " + Number(*value) + " " + pid->unit;
}

std::string Details(const std::uint8_t* data, std::size_t n, EcuVariant variant) {
    const std::uint8_t first = data[0];
    if (first == 0x7F) {
        if (n < 3) return "negative response";
        const std::string service = ServiceName(data[1]);
        return "negative response to " + (service.empty() ? Hex(data[1]) : service) + ": " + Hex(data[2]) + " " +
               NegativeResponseText(data[2]);
    }
    const bool reply = first >= 0x40 && !ServiceName(first).empty() && ServiceName(first - 0x40) == ServiceName(first);
    const std::uint8_t sid = reply ? static_cast<std::uint8_t>(first - 0x40) : first;
    std::string text = ServiceName(first);
    if (text.empty()) return "service " + Hex(first);
    if (reply) text += " positive";
    if (sid == 0x01) return text + ObdCurrentData(data, n, reply);
    if (sid == 0x09 && n >= 2) {
        const char* name = Find(kVehicleInfo, data[1]);
        text += " PID " + Hex(data[1]) + (name ? std::string(" ") + name : std::string());
        if (reply && n > 3 && (data[1] == 0x02 || data[1] == 0x04)) text += ": \"" + Printable(data + 3, n - 3) + "\"";
        return text;
    }
    if (HasSelector(sid) && n >= 2) text += " " + Hex(data[1]);
    if (reply && sid == 0x21 && n >= 2 && data[1] == 0x01) {
        const auto block = LiveBlockDecoder::Decode(variant, data, n);
        if (!block.error.empty()) return text + " (" + block.error + ")";
        std::string fields;
        for (const DecodedValue& v : block.values) {
            fields += (fields.empty() ? ": " : ", ") + v.name + " " + Number(v.value) + (v.unit.empty() ? "" : " " + v.unit);
        }
        return text + fields;
    }
    if (reply && sid == 0x1A && n > 2) return text + ": \"" + Printable(data + 2, n - 2) + "\"";
    if (reply && sid == 0x81 && n >= 3) return text + ", key bytes " + Hex(data[1]) + " " + Hex(data[2]);
    return text;
}

}  // namespace

Header ReadHeader(const std::uint8_t* frame, std::size_t n) {
    Header h;
    // An ISO 9141-2 frame carries no length: all its bytes up to the checksum are data.
    const bool iso9141 = n >= 2 && ((frame[0] == kIso9141RequestHeader[0] && frame[1] == kIso9141RequestHeader[1]) ||
                                    (frame[0] == kIso9141ReplyPriority && frame[1] == kIso9141ReplyTarget));
    if (iso9141) {
        if (n <= kIso9141HeaderSize + 1 || n > kIso9141MaxFrame) return h;
        h.iso9141 = true;
        h.format = frame[0];
        h.target = frame[1];
        h.source = frame[2];
        h.dataOffset = kIso9141HeaderSize;
        h.length = n - kIso9141HeaderSize - 1;
    } else {
        // Four bytes at least: a frame without data still has its checksum.
        if (n < 4) return h;
        const FrameSize size = ExpectedFrameSize(frame, n, /*acceptFunctional=*/true);
        if (size.status != FrameSize::Status::Known || size.bytes != n) return h;
        const FrameView view = DecodeFrame(frame);
        h.format = frame[0];
        h.functional = view.functional;
        h.target = view.target;
        h.source = view.source;
        h.dataOffset = static_cast<std::size_t>(view.data - frame);
        h.length = view.length;
    }
    h.valid = true;
    h.checksum = frame[n - 1];
    h.expected = FrameChecksum(frame, n - 1);
    h.checksumOk = h.checksum == h.expected;
    return h;
}

std::string ServiceName(std::uint8_t sid) {
    const std::uint8_t request = sid >= 0x40 && sid != 0x81 && sid != 0x82 && sid != 0x83 ? sid - 0x40 : sid;
    if (sid >= 0xC1 && sid <= 0xC3) return Find(kServices, static_cast<std::uint8_t>(sid - 0x40));
    const char* name = Find(kServices, request);
    return name ? name : "";
}

std::string NegativeResponseText(std::uint8_t code) {
    const char* text = Find(kNegativeCodes, code);
    return text ? text : "code not in ISO 14230-3";
}

std::string ServiceKey(const std::uint8_t* data, std::size_t n) {
    if (n == 0) return "-";
    return HasSelector(data[0]) && n >= 2 ? Hex(data[0]) + " " + Hex(data[1]) : Hex(data[0]);
}

std::string Describe(const std::uint8_t* frame, std::size_t n, EcuVariant variant) {
    const Header h = ReadHeader(frame, n);
    if (!h.valid) return "not a whole frame";
    std::string text = h.iso9141 ? "ISO 9141-2 " + Hex(h.format) + " " + Hex(h.target) + ", from " + Hex(h.source) +
                                       ", len " + std::to_string(h.length)
                                 : (h.functional ? "functional " : "") + std::string("fmt ") + Hex(h.format) +
                                       ", to " + Hex(h.target) + ", from " + Hex(h.source) + ", len " +
                                       std::to_string(h.length);
    if (!h.checksumOk) text += ", bad checksum " + Hex(h.checksum) + " (sum " + Hex(h.expected) + ")";
    // The service first: the header is the same for most frames of a session.
    if (h.length == 0) return "no data | " + text;
    return Details(frame + h.dataOffset, h.length, variant) + " | " + text;
}

}  // namespace FrameMeaning
