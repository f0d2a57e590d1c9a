#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/ObdPids.h"

// One item read back out of OBD replies.
struct ObdDecodedItem {
    std::string name;   // "engine speed", "VIN", …
    std::string value;  // "900", "XTA21104987654321", "MIL off, 2 codes"
    std::string unit;   // empty when the item has none
};

// Reads the data bytes of OBD reply frames (41 …, 43 …, 49 …) back into named items, for
// kline-tester; the monitor's frame meanings take the value of a current-data field from
// here. The frames of one answer are read together: mode 09 items and stored codes that
// take several frames give one item. Frames of other services are passed over.
namespace ObdReplyDecoder {

// The value of a current-data field of `available` bytes for a PID of kind Number; nothing
// for another kind or a field shorter than the PID's size.
std::optional<double> CurrentNumber(const ObdPid& pid, const std::uint8_t* field, std::size_t available);

struct Result {
    std::vector<ObdDecodedItem> items;
    std::string error;  // empty when every frame read cleanly
};

Result Decode(const std::vector<std::vector<std::uint8_t>>& frames);

}  // namespace ObdReplyDecoder
