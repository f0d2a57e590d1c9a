#include "serial/TSerHandOver.h"

#include "serial/ErrorReport.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <vector>

struct TSerHandOver::Call {
    enum State { Waiting, Running, Done, CalledOff };
    std::function<void()> function;
    State state = Waiting;
};

struct TSerHandOver::Shared {
    std::mutex lock;
    std::condition_variable changed;
    bool accepting = false;
    std::vector<std::shared_ptr<Call>> calls;
};

TSerHandOver::TSerHandOver() : shared_(std::make_shared<Shared>()), context_(new QObject) {}

TSerHandOver::~TSerHandOver() { Shutdown(); }

bool TSerHandOver::Run(std::function<void()> function) {
    auto call = std::make_shared<Call>();
    call->function = std::move(function);
    {
        std::lock_guard<std::mutex> guard(shared_->lock);
        if (!shared_->accepting) return false;
        shared_->calls.push_back(call);
    }
    std::shared_ptr<Shared> shared = shared_;
    QMetaObject::invokeMethod(
        context_.get(), [shared, call] { Execute(shared, call); }, Qt::QueuedConnection);
    std::unique_lock<std::mutex> guard(shared_->lock);
    shared_->changed.wait(guard, [&] { return call->state == Call::Done || call->state == Call::CalledOff; });
    auto& calls = shared_->calls;
    calls.erase(std::remove(calls.begin(), calls.end(), call), calls.end());
    return call->state == Call::Done;
}

void TSerHandOver::Execute(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Call>& call) {
    {
        std::lock_guard<std::mutex> guard(shared->lock);
        if (call->state != Call::Waiting) return;
        call->state = Call::Running;
    }
    try {
        call->function();
    } catch (const std::exception& error) {
        ReportApplicationError(error.what());
    } catch (...) {
        ReportApplicationError("Unknown error in a serial port event handler");
    }
    std::lock_guard<std::mutex> guard(shared->lock);
    // A call under way when the port closed (the handler closed it) stays called off.
    if (call->state == Call::Running) call->state = Call::Done;
    shared->changed.notify_all();
}

void TSerHandOver::Shutdown() {
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->accepting = false;
    for (auto& call : shared_->calls) {
        if (call->state == Call::Waiting || call->state == Call::Running) call->state = Call::CalledOff;
    }
    shared_->changed.notify_all();
}

void TSerHandOver::Reopen() {
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->accepting = true;
}
