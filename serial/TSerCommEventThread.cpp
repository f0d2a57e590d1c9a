#include "serial/TSerCommEventThread.h"

#include "serial/TSerCustomComm.h"
#include "serial/TSerHandOver.h"
#include "common/ThreadPriority.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// A device that has failed or hung up is looked at again no more often than this.
constexpr int kRetryPauseMs = 100;
// While bytes wait that nobody has read (the owner's reads are behind, or the thread does
// not read them), the line is looked at this often: the device stays readable, so waiting
// for it would spin.
constexpr int kUnreadPollMs = 10;
// The most one read from the device takes.
constexpr int kChunkBytes = 4096;

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

bool TSerCommEventThread::ReportFault(const std::string& text) {
    // A master without a tester on the other side is idle, not faulty.
    if (port_.device_->IsPseudoTerminalMaster() || !port_.NoteFault(text)) return true;
    return !(mask_ & ceError) || HandOver(ceError);
}

TSerCommEventThread::Wakeup TSerCommEventThread::AwaitReadable(TSerDevice& device, bool& pace) {
    const TSerWaitResult result = device.WaitReceive(-1);
    if (result.kind == wkWoken) return Wakeup::Stop;
    if (result.kind == wkTimeout) return Wakeup::Again;
    if (result.kind == wkHangup || result.kind == wkError) {
        const std::string text = result.kind == wkHangup ? "device hung up" : device.ErrorText(result.error);
        if (!ReportFault(text)) return Wakeup::Stop;
        pace = true;
        return Wakeup::Again;
    }
    return Wakeup::Readable;
}

void TSerCommEventThread::Execute() {
    threadId_ = CurrentThreadId();
    ApplyThreadPriority(threadId_, static_cast<TThreadPriority>(priority_.load()));
    if (mask_ & ceRxChar) {
        Receive();
        port_.received_.Stop();
    } else {
        Watch();
    }
}

void TSerCommEventThread::Receive() {
    TSerDevice& device = *port_.device_;
    TSerRxQueue& queue = port_.received_;
    std::vector<std::uint8_t> chunk(kChunkBytes);
    bool pace = false;
    for (;;) {
        if (pace && !device.Pause(kRetryPauseMs)) return;
        pace = false;
        const int room = std::min(queue.Room(), kChunkBytes);
        if (room == 0) {
            if (!device.Pause(kUnreadPollMs)) return;
            continue;
        }
        const Wakeup wakeup = AwaitReadable(device, pace);
        if (wakeup == Wakeup::Stop) return;
        if (wakeup == Wakeup::Again) continue;
        int got = 0;
        const int error = device.ReadNow(chunk.data(), room, got);
        if (got > 0) {
            port_.faultReported_ = false;
            queue.Push(chunk.data(), got, std::chrono::steady_clock::now());
            port_.handOver_->Post();
        }
        if (error != 0) {
            queue.Fail(error);
            if (!ReportFault(device.ErrorText(error))) return;
            pace = true;
        }
    }
}

void TSerCommEventThread::Watch() {
    TSerDevice& device = *port_.device_;
    bool pace = false;
    for (;;) {
        if (pace && !device.Pause(kRetryPauseMs)) return;
        pace = false;
        const Wakeup wakeup = AwaitReadable(device, pace);
        if (wakeup == Wakeup::Stop) return;
        if (wakeup == Wakeup::Again) continue;
        port_.faultReported_ = false;
        if (!device.Pause(kUnreadPollMs)) return;
    }
}
