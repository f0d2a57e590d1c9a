#pragma once

#include <QString>
#include <optional>

#include "protocol/ReplyFraming.h"

// The words an option's value is given in, on the command line and on the control interface
// alike: on|off, compact|real and whole numbers (milliseconds, counts, list places).
namespace OptionWords {

std::optional<bool> ParseOnOff(const QString& word);

std::optional<ReplyFraming> ParseFraming(const QString& word);
QString FramingName(ReplyFraming framing);  // "compact", "real"
QString FramingChoices();                   // "compact real"

// One to nine digits and no more than max; nothing else (no sign, no blank, no point).
std::optional<int> ParseCount(const QString& text, int max);

}  // namespace OptionWords
