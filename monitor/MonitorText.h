#pragma once

#include <string>

#include "monitor/MonitorRow.h"

// How a monitor row reads: in the window, in a saved trace and in CSV alike.
namespace MonitorText {

std::string Hex(const std::vector<std::uint8_t>& bytes);
// "тестер → ЭБУ", "ЭБУ → тестер" or "событие".
std::string Direction(const MonitorRow& row);
// The frame's meaning, or what the event says.
std::string Meaning(const MonitorRow& row);
// Seconds with milliseconds: "12.345".
std::string Seconds(std::int64_t us);
// Milliseconds with one decimal: "4.0".
std::string Millis(std::int64_t us);

// The short names a saved trace gives the events and the reasons.
const char* EventToken(LinkEvent event);
const char* ReasonToken(UnansweredReason reason);

}  // namespace MonitorText
