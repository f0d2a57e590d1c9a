#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "drive/DriveCycle.h"

// The cycles one may drive, by the word the control interface and the command line use:
// curve (the built-in curve), nedc, wltc2, wltc3b, or the path of a cycle file.
namespace CycleChoice {

// The words, in the order the tab offers them.
QStringList Words();
// The cycle a word or a file stands for; on failure nothing, and the reason in *error
// (for a bad file its line).
std::optional<DriveCycle> Load(const QString& wordOrPath, QString* error);

}  // namespace CycleChoice
