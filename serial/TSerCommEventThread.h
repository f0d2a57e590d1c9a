#pragma once

#include "serial/SerTypes.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

class TSerCustomComm;
class TSerDevice;

// Waits for line events on the port's device and hands them to the port's owning thread.
// When received characters are watched, it reads them itself as they come, stamps each
// chunk with the time it was read and queues it for the owning thread's reads, without
// waiting for that thread: a busy owner does not delay the reading or change the stamps.
// Other events it hands over and waits until they have been handled.
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
    // Reads and queues received characters until the port closes.
    void Receive();
    // Watches the line only; received characters are left to the owning thread's reads.
    void Watch();
    // A failed or hung-up device: told once (OnError), with what happened. False when the
    // thread is to end.
    bool ReportFault(const std::string& text);
    enum class Wakeup { Stop, Again, Readable };
    // Waits until the line has bytes. Again after a timeout or a fault (then with pace set,
    // so the next look waits first); Stop when the thread is to end.
    Wakeup AwaitReadable(TSerDevice& device, bool& pace);
    bool HandOver(std::uint32_t mask);

    TSerCustomComm& port_;
    const std::uint32_t mask_;
    std::atomic<int> priority_;
    std::atomic<int> threadId_{0};
    std::thread thread_;
};
