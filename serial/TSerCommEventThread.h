#pragma once

#include "serial/SerTypes.h"

#include <atomic>
#include <cstdint>
#include <thread>

class TSerCustomComm;

// Waits for line events on the port's device and hands each one to the port's owning
// thread, waiting until it has been handled there.
class TSerCommEventThread {
public:
    TSerCommEventThread(TSerCustomComm& port, std::uint32_t mask, TThreadPriority priority);
    ~TSerCommEventThread();
    TSerCommEventThread(const TSerCommEventThread&) = delete;
    TSerCommEventThread& operator=(const TSerCommEventThread&) = delete;

    void SetPriority(TThreadPriority priority);
    // The device's wake-up and the hand-over must be called off first.
    void Join();

private:
    void Execute();
    bool HandOver(std::uint32_t mask);

    TSerCustomComm& port_;
    const std::uint32_t mask_;
    std::atomic<int> priority_;
    std::atomic<int> threadId_{0};
    std::thread thread_;
};
