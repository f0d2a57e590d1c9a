#pragma once

#include <functional>
#include <string>

// The application's standard error report: what an exception escaping an event handler becomes.
// Default: one line on stderr. The console installs a message box. Thread-safe.
using TApplicationErrorReporter = std::function<void(const std::string& message)>;

void SetApplicationErrorReporter(TApplicationErrorReporter reporter);
void ReportApplicationError(const std::string& message);
