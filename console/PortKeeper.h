#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QTimer;
class TSerCustomComm;

// Keeps the K-line port through an adapter pulled out and plugged in again. A device that
// fails for good (it hangs up, or a read or write on it fails) is closed and told of once;
// from then on the same name is tried about once a second, so a /dev/serial/by-id link that
// now points at another ttyUSB number is found again, and the port reopened is told of once.
// Nothing else changes meanwhile: the controller, its values and the monitor go on as they were.
class PortKeeper : public QObject {
    Q_OBJECT

public:
    struct Events {
        std::function<void(const QString& reason)> lost;  // the port is closed now
        std::function<void()> regained;                   // the port is open again
    };

    // Takes over the port's OnError. The port must outlive the keeper.
    PortKeeper(TSerCustomComm& port, Events events, QObject* parent = nullptr);

    bool Lost() const { return lost_; }
    // "open NAME", "lost NAME: reason", or "closed NAME" (never opened).
    QString State() const;

    static constexpr int kRetryMs = 1000;

private:
    void DeviceFailed();
    void TryReopen();

    TSerCustomComm& port_;
    Events events_;
    QTimer* retry_;
    bool lost_ = false;
    QString reason_;
};
