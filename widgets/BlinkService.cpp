#include "widgets/BlinkService.h"

#include <QCoreApplication>
#include <QPointer>
#include <vector>

BlinkService::BlinkService(QObject* parent) : QObject(parent) {
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &BlinkService::Tick);
}

namespace {

// Owned by the application object, so it goes with it.
QPointer<BlinkService>& TheInstance() {
    static QPointer<BlinkService> instance;
    return instance;
}

}  // namespace

BlinkService& BlinkService::Instance() {
    QPointer<BlinkService>& instance = TheInstance();
    if (!instance) {
        instance = new BlinkService(QCoreApplication::instance());
    }
    return *instance;
}

bool BlinkService::Exists() {
    return !TheInstance().isNull();
}

int BlinkService::Divider(TUiFrequency frequency) {
    switch (frequency) {
    case ff8Hz:
        return 1;
    case ff4Hz:
        return 2;
    case ff2Hz:
        return 4;
    case ff1Hz:
        return 8;
    case ff05Hz:
        return 16;
    }
    return 8;
}

void BlinkService::Register(BlinkClient* client, TUiFrequency frequency) {
    clients_[client] = Entry{Divider(frequency), 0};
    if (!timer_.isActive()) {
        timer_.start();
    }
}

void BlinkService::Unregister(BlinkClient* client) {
    clients_.erase(client);
    if (clients_.empty()) {
        timer_.stop();
    }
}

bool BlinkService::IsRegistered(const BlinkClient* client) const {
    return clients_.count(const_cast<BlinkClient*>(client)) != 0;
}

void BlinkService::Tick() {
    // A client may withdraw (or another register) while it toggles: collect first.
    std::vector<BlinkClient*> due;
    for (auto& [client, entry] : clients_) {
        if (++entry.count >= entry.divider) {
            entry.count = 0;
            due.push_back(client);
        }
    }
    for (BlinkClient* client : due) {
        if (clients_.count(client) != 0) {
            client->ToggleBlinkPhase();
        }
    }
}
