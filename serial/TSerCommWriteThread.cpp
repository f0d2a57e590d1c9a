#include "serial/TSerCommWriteThread.h"

#include "serial/TSerCustomComm.h"
#include "serial/TSerHandOver.h"
#include "common/ThreadPriority.h"

#include <chrono>
#include <cstring>
#include <vector>

namespace {

// A device that refuses writes is tried again no more often than this.
constexpr int kRetryPauseMs = 100;

}  // namespace

TSerCommWriteThread::TSerCommWriteThread(TSerCustomComm& port, int queueSize,
                                         bool reportTxEmpty, TThreadPriority priority)
    : port_(port), lock_(port.writeLock_), queue_(queueSize), reportTxEmpty_(reportTxEmpty),
      priority_(priority),
      thread_([this] { Execute(); }) {}

TSerCommWriteThread::~TSerCommWriteThread() { Stop(); }

void TSerCommWriteThread::Stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        closing_ = true;
        queue_.Clear();
    }
    dataReady_.notify_all();
    roomFreed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void TSerCommWriteThread::SetPriority(TThreadPriority priority) {
    priority_ = priority;
    ApplyThreadPriority(threadId_, priority);
}

bool TSerCommWriteThread::Append(const void* data, int count, int timeoutMs) {
    std::unique_lock<std::mutex> guard(lock_);
    const bool room = roomFreed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
        return closing_ || queue_.Room() >= count;
    });
    if (!room || closing_) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (queue_.Count() == 0 && !inFlight_) {
        // Nothing queued ahead of these bytes, so the order holds. A failure is left to the
        // thread, which meets it again with the queued rest and reports it.
        int put = 0;
        port_.device_->Write(bytes, count, 0, put);
        bytes += put;
        count -= put;
        if (count == 0) {
            if (reportTxEmpty_ && port_.txEmptyWanted_) {
                reportEmptied_ = true;
                dataReady_.notify_one();
            }
            return true;
        }
    }
    queue_.Append(bytes, count);
    dataReady_.notify_one();
    return true;
}

int TSerCommWriteThread::Take(std::uint8_t* chunk) {
    std::unique_lock<std::mutex> guard(lock_);
    dataReady_.wait(guard, [&] { return closing_ || queue_.Count() > 0 || reportEmptied_; });
    if (closing_) return -1;
    reportEmptied_ = false;
    if (queue_.Count() == 0) return 0;
    inFlight_ = true;
    std::memcpy(chunk, queue_.Data(), static_cast<std::size_t>(queue_.Count()));
    return queue_.Count();
}

bool TSerCommWriteThread::Finish(int written) {
    std::lock_guard<std::mutex> guard(lock_);
    inFlight_ = false;
    queue_.Remove(written);
    roomFreed_.notify_all();
    return queue_.Count() == 0;
}

bool TSerCommWriteThread::HandOver(std::uint32_t mask) {
    return port_.handOver_->Run([this, mask] { port_.DoEvent(mask); });
}

void TSerCommWriteThread::Execute() {
    threadId_ = CurrentThreadId();
    ApplyThreadPriority(threadId_, static_cast<TThreadPriority>(priority_.load()));
    TSerDevice& device = *port_.device_;
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(queue_.Capacity()));
    for (;;) {
        const int count = Take(chunk.data());
        if (count < 0) return;
        if (count == 0) {
            if (!HandOver(ceTxEmpty)) return;
            continue;
        }
        int put = 0;
        const int error = device.Write(chunk.data(), count, -1, put);
        const bool emptied = Finish(put);
        if (put > 0) {
            port_.faultReported_ = false;
            if (emptied && reportTxEmpty_ && port_.txEmptyWanted_ && !HandOver(ceTxEmpty)) return;
        }
        if (error != 0) {
            // The bytes stay queued; say so once, then try again at a calm pace.
            if (port_.NoteFault(device.ErrorText(error)) && !HandOver(ceError)) return;
            if (!device.Pause(kRetryPauseMs)) return;
        }
    }
}
