#pragma once

#include <functional>
#include <memory>

class TSerHandOverDoorbell;

// Hand-over of calls from the port threads to the thread that created the port.
// Run is synchronous: the port thread waits until the call has run there. Unlike a blocking
// queued call it can be called off: Shutdown (on the owning thread, before joining the port
// threads) releases every waiting port thread, drops calls not yet started and refuses new
// ones, so a join never waits on a hand-over that only the joining thread could run.
// Post is the asynchronous kind for the one call the port makes often (received bytes):
// the port thread only rings, and posts made before the call starts are folded into one.
class TSerHandOver {
public:
    // posted: what Post has run on the owning thread.
    explicit TSerHandOver(std::function<void()> posted = {});
    ~TSerHandOver();
    TSerHandOver(const TSerHandOver&) = delete;
    TSerHandOver& operator=(const TSerHandOver&) = delete;

    // Port thread: runs call on the owning thread; false when it was called off or refused.
    // An exception escaping call goes to the application's error report.
    bool Run(std::function<void()> call);
    // Port thread: has the posted call run on the owning thread soon, without waiting for it.
    // It does not run while called off. Exceptions go to the application's error report.
    void Post();
    // Owning thread: call off everything, refuse new calls.
    void Shutdown();
    // Owning thread, while no port thread runs: take calls again (the port is opened anew).
    void Reopen();

private:
    friend class TSerHandOverDoorbell;
    struct Shared;
    struct Call;
    // Runs the waiting calls in their order, then the posted one if it was asked for; the
    // posted event only rings for them, so nothing a port thread wrote travels outside the
    // calls' own lock.
    static void RunWaitingCalls(Shared& shared);
    static void RunPostedCall(Shared& shared);
    void Ring();

    std::shared_ptr<Shared> shared_;
    std::unique_ptr<TSerHandOverDoorbell> doorbell_;
};
