#include "automation/TerminationSignals.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <tuple>
#include <sys/resource.h>
#include <unistd.h>

#include "support/QtPrinters.h"

namespace {

// While it lives, no descriptor can be opened: the limit sits at the lowest free one.
class NoFreeDescriptor {
public:
    NoFreeDescriptor() {
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::close(lowestFree);
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit tight = saved_;
        tight.rlim_cur = static_cast<rlim_t>(lowestFree);
        ::setrlimit(RLIMIT_NOFILE, &tight);
    }
    ~NoFreeDescriptor() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

private:
    rlimit saved_{};
};

bool Caught(int signal) {
    struct sigaction present {};
    ::sigaction(signal, nullptr, &present);
    return present.sa_handler != SIG_DFL;
}

TEST(TerminationSignals, SaysWhenStopSignalsCannotBeCaught) {
    const std::tuple<const char*, bool, QString> rows[] = {  // what, descriptors left, failure (empty: caught)
        {"descriptors to spare", true, {}},
        {"no descriptor left", false,
         QStringLiteral("cannot catch Ctrl-C, SIGTERM and SIGHUP (socketpair: %1): such a stop leaves the "
                        "virtual port's link and the control socket behind")
             .arg(QString::fromLocal8Bit(std::strerror(EMFILE)))},
    };
    for (const auto& [what, descriptorsLeft, failure] : rows) {
        {
            std::optional<NoFreeDescriptor> limit;
            if (!descriptorsLeft) limit.emplace();
            TerminationSignals stopSignals;
            limit.reset();
            EXPECT_EQ(stopSignals.Failure(), failure) << what;
            for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
                EXPECT_EQ(Caught(signal), failure.isEmpty()) << what << ", signal " << signal;
            }
        }
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
            EXPECT_FALSE(Caught(signal)) << what << ": the default is back, signal " << signal;
        }
    }
}

}  // namespace
