#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a clean end of the event loop, so that an unattended
// bench stopped from its shell still removes what it made for the run (the link to the
// virtual port, the control socket).
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Empty when the signals end the run cleanly; otherwise what failed, for the operator.
    const QString& Failure() const { return failure_; }

private:
    static void Handler(int signal);

    QSocketNotifier* notifier_ = nullptr;
    QString failure_;
};
