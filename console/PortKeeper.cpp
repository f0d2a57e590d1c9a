#include "console/PortKeeper.h"

#include <QTimer>
#include <exception>

#include "serial/SerTypes.h"
#include "serial/TSerCustomComm.h"

PortKeeper::PortKeeper(TSerCustomComm& port, Events events, QObject* parent)
    : QObject(parent), port_(port), events_(std::move(events)), retry_(new QTimer(this)) {
    retry_->setInterval(kRetryMs);
    connect(retry_, &QTimer::timeout, this, &PortKeeper::TryReopen);
    port_.SetOnError([this](TSerCustomComm*, int errors) {
        if (!(errors & leIOError) || lost_) return;
        // Told from inside the port's hand-over, which its threads wait on: close after it.
        lost_ = true;
        reason_ = QString::fromStdString(port_.FaultText());
        if (reason_.isEmpty()) reason_ = QStringLiteral("device failed");
        QTimer::singleShot(0, this, &PortKeeper::DeviceFailed);
    });
}

QString PortKeeper::State() const {
    const QString name = QString::fromStdString(port_.FormattedDeviceName());
    if (lost_) return QStringLiteral("lost %1: %2").arg(name, reason_);
    return QStringLiteral("%1 %2").arg(port_.IsOpen() ? QStringLiteral("open") : QStringLiteral("closed"), name);
}

void PortKeeper::DeviceFailed() {
    port_.Close();
    if (events_.lost) events_.lost(reason_);
    retry_->start();
}

void PortKeeper::TryReopen() {
    try {
        port_.Open();
    } catch (const std::exception&) {
        return;  // not there yet: the next tick tries again
    }
    retry_->stop();
    lost_ = false;
    reason_.clear();
    if (events_.regained) events_.regained();
}
