#include "serial/TSerCommEventThread.h"

#include "serial/TSerCustomComm.h"
#include "serial/TSerHandOver.h"
#include "serial/ThreadPriority.h"

namespace {

// A device that has failed or hung up is looked at again no more often than this.
constexpr int kRetryPauseMs = 100;
// While bytes a handler left unread lie in the queue, new arrivals are looked for this often
// (the device stays readable, so waiting for it would spin).
constexpr int kUnreadPollMs = 10;

}  // namespace

TSerCommEventThread::TSerCommEventThread(TSerCustomComm& port, std::uint32_t mask,
                                         TThreadPriority priority)
    : port_(port), mask_(mask), priority_(priority), thread_([this] { Execute(); }) {}

TSerCommEventThread::~TSerCommEventThread() { Join(); }

void TSerCommEventThread::Join() {
    if (thread_.joinable()) thread_.join();
}

void TSerCommEventThread::SetPriority(TThreadPriority priority) {
    priority_ = priority;
    ApplyThreadPriority(threadId_, priority);
}

bool TSerCommEventThread::HandOver(std::uint32_t mask) {
    return port_.handOver_->Run([this, mask] { port_.DoEvent(mask); });
}

void TSerCommEventThread::Execute() {
    threadId_ = CurrentThreadId();
    ApplyThreadPriority(threadId_, static_cast<TThreadPriority>(priority_.load()));
    TSerDevice& device = *port_.device_;
    bool pace = false;
    bool faultReported = false;
    int unread = 0;
    for (;;) {
        if (pace && !device.Pause(kRetryPauseMs)) return;
        pace = false;
        if (unread > 0) {
            if (!device.Pause(kUnreadPollMs)) return;
            int queued = 0;
            if (device.InQueue(queued) != 0) {
                unread = 0;
                continue;
            }
            const bool arrived = queued > unread;
            unread = queued;
            if (!arrived) continue;
        } else {
            const TSerWaitResult result = device.WaitReceive(-1);
            if (result.kind == wkWoken) return;
            if (result.kind == wkTimeout) continue;
            if (result.kind == wkHangup || result.kind == wkError) {
                // A master without a tester on the other side is idle, not faulty.
                if (!device.IsPseudoTerminalMaster() && !faultReported) {
                    faultReported = true;
                    if ((mask_ & ceError) && !HandOver(ceError)) return;
                }
                pace = true;
                continue;
            }
            faultReported = false;
        }
        if ((mask_ & ceRxChar) && !HandOver(ceRxChar)) return;
        if (device.InQueue(unread) != 0) unread = 0;
    }
}
