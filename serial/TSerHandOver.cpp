#include "serial/TSerHandOver.h"

#include "common/ErrorReport.h"

#include <QMetaMethod>
#include <QObject>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <vector>

namespace {

void Guarded(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::exception& error) {
        ReportApplicationError(error.what());
    } catch (...) {
        ReportApplicationError("Unknown error in a serial port event handler");
    }
}

}  // namespace

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
    // Written on the owning thread before the port threads start.
    std::function<void()> posted;
    // A Post is waiting for its call to start; later posts need no ring of their own.
    std::atomic<bool> postWaiting{false};
};

// Lives on the owning thread; a queued call of Ring makes that thread look at the calls.
// The call carries nothing: what the port threads wrote travels under the calls' own lock
// or in atomics, never inside the event.
class TSerHandOverDoorbell : public QObject {
    Q_OBJECT
public:
    explicit TSerHandOverDoorbell(std::shared_ptr<TSerHandOver::Shared> shared)
        : shared_(std::move(shared)), ring_(metaObject()->method(metaObject()->indexOfMethod("Ring()"))) {}

    // Port thread. The method is looked up once: a ring per request must stay cheap.
    void Post() { ring_.invoke(this, Qt::QueuedConnection); }

    // A handler may destroy the port, and with it this object, from a nested event loop:
    // hold the calls' state on the stack and touch nothing of this object afterwards.
    Q_INVOKABLE void Ring() {
        const std::shared_ptr<TSerHandOver::Shared> shared = shared_;
        TSerHandOver::RunWaitingCalls(*shared);
        TSerHandOver::RunPostedCall(*shared);
    }

private:
    const std::shared_ptr<TSerHandOver::Shared> shared_;
    const QMetaMethod ring_;
};

TSerHandOver::TSerHandOver(std::function<void()> posted)
    : shared_(std::make_shared<Shared>()), doorbell_(std::make_unique<TSerHandOverDoorbell>(shared_)) {
    shared_->posted = std::move(posted);
}

TSerHandOver::~TSerHandOver() { Shutdown(); }

void TSerHandOver::Ring() { doorbell_->Post(); }

bool TSerHandOver::Run(std::function<void()> function) {
    auto call = std::make_shared<Call>();
    call->function = std::move(function);
    {
        std::lock_guard<std::mutex> guard(shared_->lock);
        if (!shared_->accepting) return false;
        shared_->calls.push_back(call);
    }
    Ring();
    std::unique_lock<std::mutex> guard(shared_->lock);
    shared_->changed.wait(guard, [&] { return call->state == Call::Done || call->state == Call::CalledOff; });
    auto& calls = shared_->calls;
    calls.erase(std::remove(calls.begin(), calls.end(), call), calls.end());
    return call->state == Call::Done;
}

void TSerHandOver::Post() {
    if (!shared_->postWaiting.exchange(true)) Ring();
}

void TSerHandOver::RunWaitingCalls(Shared& shared) {
    for (;;) {
        std::shared_ptr<Call> call;
        {
            std::lock_guard<std::mutex> guard(shared.lock);
            for (const auto& candidate : shared.calls) {
                if (candidate->state == Call::Waiting) {
                    call = candidate;
                    break;
                }
            }
            if (!call) return;
            call->state = Call::Running;
        }
        Guarded(call->function);
        std::lock_guard<std::mutex> guard(shared.lock);
        // A call under way when the port closed (the handler closed it) stays called off.
        if (call->state == Call::Running) call->state = Call::Done;
        shared.changed.notify_all();
    }
}

void TSerHandOver::RunPostedCall(Shared& shared) {
    // Cleared before the call runs: a post made while it runs rings again.
    if (!shared.postWaiting.exchange(false)) return;
    {
        std::lock_guard<std::mutex> guard(shared.lock);
        if (!shared.accepting) return;
    }
    if (shared.posted) Guarded(shared.posted);
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
    shared_->postWaiting = false;
}

#include "TSerHandOver.moc"
