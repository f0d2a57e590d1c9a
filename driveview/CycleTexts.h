#pragma once

#include <QString>

#include "drive/CycleRun.h"
#include "drive/Verdict.h"

// How the drive cycle's states, figures and verdict read for the operator, on the tab and in
// the report alike.
namespace CycleTexts {

QString State(CycleRun::State state);
// "ГОДЕН", "НЕ ГОДЕН", or why there is neither.
QString VerdictText(const Verdict& verdict);
// "Путь", "Топливо", … for the verdict's figure names.
QString FigureName(const std::string& name);
QString Number(std::optional<double> value, int decimals);
// "1:02:03" for seconds.
QString Clock(double seconds);
QString PollText(const DeviceView& device);

}  // namespace CycleTexts
