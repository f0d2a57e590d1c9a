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
    // Bytes a handler left in the queue; they are no news, only arrivals beyond them are.
    int unread = 0;
    // Queue count and bytes read by the port when the queue was last looked at.
    int queued = 0;
    long long consumed = 0;
    auto arrivedSinceLastLook = [&] {
        const long long before = queued + consumed;
        consumed = port_.bytesConsumed_.load();
        if (device.InQueue(queued) != 0) queued = 0;
        return queued + consumed > before;
    };
    for (;;) {
        if (pace && !device.Pause(kRetryPauseMs)) return;
        pace = false;
        if (unread > 0) {
            if (!device.Pause(kUnreadPollMs)) return;
            const bool arrived = arrivedSinceLastLook();
            unread = queued;
            if (!arrived) continue;
        } else {
            const TSerWaitResult result = device.WaitReceive(-1);
            if (result.kind == wkWoken) return;
            if (result.kind == wkTimeout) continue;
            if (result.kind == wkHangup || result.kind == wkError) {
                // A master without a tester on the other side is idle, not faulty.
                if (!device.IsPseudoTerminalMaster() && !port_.faultReported_.exchange(true)) {
                    if ((mask_ & ceError) && !HandOver(ceError)) return;
                }
                pace = true;
                continue;
            }
            port_.faultReported_ = false;
        }
        // Received characters; bytes that come while the handler runs make one more event.
        do {
            arrivedSinceLastLook();
            if ((mask_ & ceRxChar) && !HandOver(ceRxChar)) return;
        } while (arrivedSinceLastLook() && queued > 0);
        unread = queued;
    }
}
