#pragma once

#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "drive/CycleRun.h"

// What the report says beside the run itself.
struct CycleReportHeader {
    QString device;          // the operator's description of the device under test
    QString date;            // when the report was made
    QString controllerType;  // as on the toolbar
    QString lineOptions;     // reply timing, framing, OBD-II
    std::vector<std::pair<QString, QString>> protocol;  // the monitor's report on the device, line by line
    std::string protocolJson;                           // the same as `get report` gives it
};

// A test engineer's record of one cycle: a PDF (Qt's own writer) with the device, the line
// options, the cycle and its phases, plots of speed, fuel flow and distance, the references
// per phase, the figures entered and the verdict, and the device's protocol report; and
// the same figures as JSON beside it (the PDF's name with .json). Returns the reason it
// could not be written, or nothing.
QString SaveCycleReport(const QString& pdfPath, const CycleRun& run, const CycleReportHeader& header);

// The JSON file's path beside a report.
QString CycleReportJsonPath(const QString& pdfPath);
