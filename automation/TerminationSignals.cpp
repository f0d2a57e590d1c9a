#include "automation/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler may only write to a descriptor; the event loop reads the other end.
int wakeFds[2] = {-1, -1};
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    // Non-blocking: a handler must never wait on a full pipe, and one byte is enough news.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeFds) != 0) {
        failure_ = QStringLiteral("cannot catch Ctrl-C, SIGTERM and SIGHUP (socketpair: %1): such a stop "
                                  "leaves the virtual port's link and the control socket behind")
                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
        wakeFds[0] = wakeFds[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [] {
        char signal = 0;
        (void)!::read(wakeFds[1], &signal, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = &TerminationSignals::Handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() {
    for (int signal : kSignals) {
        std::signal(signal, SIG_DFL);
    }
    delete notifier_;
    for (int& fd : wakeFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void TerminationSignals::Handler(int signal) {
    const char byte = static_cast<char>(signal);
    (void)!::write(wakeFds[0], &byte, 1);
}
