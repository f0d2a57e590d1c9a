#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a clean end of the event loop, so that an unattended
// bench stopped from its shell still removes what it made for the run (the link to the
// virtual port, the control socket).
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    static void Handler(int signal);

    QSocketNotifier* notifier_ = nullptr;
};
