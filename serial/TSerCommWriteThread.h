#pragma once

#include "serial/SerTypes.h"
#include "serial/TSerCommBuffer.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class TSerCustomComm;

// Drains the port's output queue onto the device, so that queued writes return at once.
class TSerCommWriteThread {
public:
    // reportTxEmpty: hand an emptied queue over as the transmit-empty event.
    TSerCommWriteThread(TSerCustomComm& port, int queueSize, bool reportTxEmpty,
                        TThreadPriority priority);
    ~TSerCommWriteThread();
    TSerCommWriteThread(const TSerCommWriteThread&) = delete;
    TSerCommWriteThread& operator=(const TSerCommWriteThread&) = delete;

    // Owning thread: queue the bytes, waiting up to timeoutMs for room; false if none came.
    // While the queue is idle the bytes go to the driver at once, without waking the thread;
    // only what the driver cannot take is queued.
    bool Append(const void* data, int count, int timeoutMs);
    void SetPriority(TThreadPriority priority);
    // Ends the thread; the device's wake-up and the hand-over must be called off first.
    // Bytes still queued are dropped.
    void Stop();

private:
    void Execute();
    // Waits for queued bytes and copies them out. -1: the thread is to end; 0: the queue
    // was emptied without the thread, report it.
    int Take(std::uint8_t* chunk);
    // Drops the bytes written from the queue; true when it is now empty.
    bool Finish(int written);
    bool HandOver(std::uint32_t mask);

    TSerCustomComm& port_;
    std::mutex& lock_;
    std::condition_variable dataReady_;
    std::condition_variable roomFreed_;
    TSerCommBuffer queue_;
    const bool reportTxEmpty_;
    bool closing_ = false;
    bool inFlight_ = false;      // the thread writes a chunk taken from the queue
    bool reportEmptied_ = false; // Append emptied the queue by itself
    std::atomic<int> priority_;
    std::atomic<int> threadId_{0};
    std::thread thread_;
};
