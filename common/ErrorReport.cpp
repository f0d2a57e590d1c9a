#include "common/ErrorReport.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex& ReporterLock() {
    static std::mutex lock;
    return lock;
}

TApplicationErrorReporter& Reporter() {
    static TApplicationErrorReporter reporter;
    return reporter;
}

}  // namespace

void SetApplicationErrorReporter(TApplicationErrorReporter reporter) {
    std::lock_guard<std::mutex> guard(ReporterLock());
    Reporter() = std::move(reporter);
}

void ReportApplicationError(const std::string& message) {
    TApplicationErrorReporter reporter;
    {
        std::lock_guard<std::mutex> guard(ReporterLock());
        reporter = Reporter();
    }
    if (reporter) {
        reporter(message);
        return;
    }
    std::fprintf(stderr, "%s\n", message.c_str());
}
