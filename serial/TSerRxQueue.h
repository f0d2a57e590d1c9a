#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

// Received bytes on their way from the port's event thread, which reads them from the
// device, to the reads of the owning thread: chunks in the order they came, each stamped
// with the time the event thread read it. It holds at most its capacity; beyond that the
// bytes wait in the driver.
class TSerRxQueue {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Owning thread, while no event thread runs: empty, room for capacity bytes (at least
    // one), and an event thread is to fill it from now on.
    void Start(int capacity);
    // Event thread: no more chunks come; a read waiting for one gives up at once.
    void Stop();

    // Event thread.
    int Room() const;
    // count must not exceed Room(). A read waiting for bytes is woken.
    void Push(const std::uint8_t* bytes, int count, TimePoint arrival);
    // The device failed under the event thread; the next read that finds nothing gets it.
    void Fail(int error);

    // Owning thread: bytes waiting, over every chunk.
    int Count() const;
    // Up to count bytes of the oldest chunk, with its stamp; what is left of the chunk keeps
    // the stamp for the next take. Waits up to `wait` for a chunk when none is there.
    // 0: nothing came (or a failure waits, see TakeError); -1: nothing is there and no
    // event thread fills the queue.
    int TakeChunk(std::uint8_t* buffer, int count, std::chrono::milliseconds wait, TimePoint& arrival);
    // The failure Fail left, once; 0 when none.
    int TakeError();

private:
    struct Mark {
        int count = 0;
        TimePoint arrival;
    };

    mutable std::mutex lock_;
    std::condition_variable arrived_;
    int waiting_ = 0;  // reads waiting in TakeChunk
    bool filling_ = false;
    int error_ = 0;
    std::vector<std::uint8_t> bytes_;  // a ring: count_ bytes from head_
    int head_ = 0;
    int count_ = 0;
    std::vector<Mark> marks_;  // a ring: marksUsed_ chunks from firstMark_
    int firstMark_ = 0;
    int marksUsed_ = 0;
};
