#include "protocol/ObdReplyDecoder.h"

#include <cstdio>
#include <map>

#include "common/HexText.h"
#include "protocol/ObdPids.h"

namespace ObdReplyDecoder {

namespace {

using Data = std::vector<std::uint8_t>;

std::string Hex(std::uint8_t byte) {
    return HexText(&byte, 1);
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

// The PIDs a bit map names: bit 7 of its first byte is base + 1.
std::string PidList(std::uint8_t base, const std::uint8_t* map) {
    std::string list;
    for (int bit = 0; bit < 32; ++bit) {
        if ((map[bit / 8] & (0x80 >> (bit % 8))) != 0) {
            if (!list.empty()) list += ' ';
            list += Hex(static_cast<std::uint8_t>(base + bit + 1));
        }
    }
    return list.empty() ? "none" : list;
}

std::string Text(const Data& bytes) {
    std::string text;
    for (const std::uint8_t b : bytes) {
        if (b != 0x00) text += static_cast<char>(b);
    }
    return text;
}

std::string CurrentData(const ObdPid& pid, const std::uint8_t* field, std::string* unit) {
    switch (pid.kind) {
    case ObdPidKind::Supported:
        return PidList(pid.pid, field);
    case ObdPidKind::MonitorStatus:
        return std::string((field[0] & 0x80) != 0 ? "MIL on, " : "MIL off, ") + std::to_string(field[0] & 0x7F) +
               " codes";
    case ObdPidKind::FuelSystem:
        return field[0] == 0x02 ? "closed loop" : field[0] == 0x00 ? "not running" : "status " + Hex(field[0]);
    case ObdPidKind::Standard:
        return field[0] == 0x06 ? "EOBD" : "standard " + Hex(field[0]);
    case ObdPidKind::Number:
        *unit = pid.unit;
        return Number(*CurrentNumber(pid, field, pid.size));
    }
    return {};
}

}  // namespace

std::optional<double> CurrentNumber(const ObdPid& pid, const std::uint8_t* field, std::size_t available) {
    if (pid.kind != ObdPidKind::Number || available < static_cast<std::size_t>(pid.size)) return std::nullopt;
    std::uint32_t raw = 0;
    for (int i = 0; i < pid.size; ++i) raw = raw << 8 | field[i];
    return ObdPidValue(pid, raw);
}

Result Decode(const std::vector<Data>& frames) {
    Result result;
    auto fail = [&result](const std::string& what) {
        if (result.error.empty()) result.error = what;
    };
    // Numbered mode 09 frames by PID, then by frame number.
    std::map<std::uint8_t, std::map<std::uint8_t, Data>> numbered;
    std::vector<std::string> codes;
    bool codeFrames = false;
    for (const Data& d : frames) {
        if (d.empty()) continue;
        if (d[0] == 0x41) {
            const ObdPid* pid = d.size() >= 2 ? FindObdPid(d[1]) : nullptr;
            if (pid == nullptr) {
                fail(d.size() < 2 ? "41 without a PID" : "PID " + Hex(d[1]) + " is not known");
                continue;
            }
            if (d.size() != 2u + pid->size) {
                fail("PID " + Hex(pid->pid) + " with " + std::to_string(d.size() - 2) + " data bytes");
                continue;
            }
            std::string unit;
            const std::string value = CurrentData(*pid, d.data() + 2, &unit);
            result.items.push_back({pid->name, value, unit});
        } else if (d[0] == 0x43) {
            codeFrames = true;
            for (std::size_t i = 1; i + 1 < d.size(); i += 2) {
                if (d[i] != 0 || d[i + 1] != 0) codes.push_back("P" + Hex(d[i]) + Hex(d[i + 1]));
            }
        } else if (d[0] == 0x49) {
            if (d.size() < 3) {
                fail("49 without a PID and data");
                continue;
            }
            switch (d[1]) {
            case 0x00:
                if (d.size() == 6) {
                    result.items.push_back({"info types supported", PidList(0x00, d.data() + 2), ""});
                } else {
                    fail("49 00 with " + std::to_string(d.size() - 2) + " data bytes");
                }
                break;
            case 0x01:
                result.items.push_back({"VIN messages", std::to_string(d[2]), ""});
                break;
            case 0x03:
                result.items.push_back({"calibration ID messages", std::to_string(d[2]), ""});
                break;
            default:
                numbered[d[1]][d[2]] = Data(d.begin() + 3, d.end());
                break;
            }
        }
    }
    if (codeFrames) {
        std::string list;
        for (const std::string& code : codes) list += (list.empty() ? "" : " ") + code;
        result.items.push_back({"stored codes", list.empty() ? "none" : list, ""});
    }
    const std::pair<std::uint8_t, const char*> texts[] = {{0x02, "VIN"}, {0x04, "calibration ID"}};
    for (const auto& [pid, name] : texts) {
        const auto it = numbered.find(pid);
        if (it == numbered.end()) continue;
        Data bytes;
        for (const auto& [n, part] : it->second) bytes.insert(bytes.end(), part.begin(), part.end());
        result.items.push_back({name, Text(bytes), ""});
    }
    return result;
}

}  // namespace ObdReplyDecoder
