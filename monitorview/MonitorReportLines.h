#pragma once

#include <QString>
#include <vector>

#include "monitor/DeviceReport.h"

// The report on the tester as the operator reads it, line by line: in the monitor's pane and
// in a drive cycle's report alike.
namespace MonitorReportLines {

struct Line {
    QString name, value, limit;
    DeviceReport::Mark mark;
    bool graded;  // held against a limit
};

std::vector<Line> Lines(const DeviceReport::Figures& f);
QString MarkText(DeviceReport::Mark mark);

}  // namespace MonitorReportLines
