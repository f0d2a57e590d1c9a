#pragma once

#include <functional>
#include <memory>

class TSerHandOverDoorbell;

// Synchronous hand-over of a call from a port thread to the thread that created the port:
// the port thread waits until the call has run there. Unlike a blocking queued call it can
// be called off: Shutdown (on the owning thread, before joining the port threads) releases
// every waiting port thread, drops calls not yet started and refuses new ones, so a join
// never waits on a hand-over that only the joining thread could run.
class TSerHandOver {
public:
    TSerHandOver();
    ~TSerHandOver();
    TSerHandOver(const TSerHandOver&) = delete;
    TSerHandOver& operator=(const TSerHandOver&) = delete;

    // Port thread: runs call on the owning thread; false when it was called off or refused.
    // An exception escaping call goes to the application's error report.
    bool Run(std::function<void()> call);
    // Owning thread: call off everything, refuse new calls.
    void Shutdown();
    // Owning thread: take calls again (the port is opened anew).
    void Reopen();

private:
    friend class TSerHandOverDoorbell;
    struct Shared;
    struct Call;
    // Runs the waiting calls in their order; the posted event only rings for it, so nothing
    // a port thread wrote travels outside the calls' own lock.
    static void RunWaitingCalls(Shared& shared);

    std::shared_ptr<Shared> shared_;
    std::unique_ptr<TSerHandOverDoorbell> doorbell_;
};
