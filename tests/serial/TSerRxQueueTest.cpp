#include "serial/TSerRxQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

TSerRxQueue::TimePoint At(int ms) { return TSerRxQueue::TimePoint{} + milliseconds(ms); }

// One step on a queue: a chunk pushed at a time, or a take of up to `count` bytes that
// gives `bytes` stamped `ms` (a result of 0 or -1 is given in `got`).
struct Step {
    bool take;
    Bytes bytes;
    int ms = 0;
    int count = 0;
    int got = 0;
};
Step Push(Bytes bytes, int ms) { return {false, std::move(bytes), ms}; }
Step Take(int count, Bytes bytes, int ms) {
    const int got = static_cast<int>(bytes.size());
    return {true, std::move(bytes), ms, count, got};
}
Step TakeNothing(int count, int got) { return {true, {}, 0, count, got}; }

TEST(TSerRxQueue, ChunksComeOutInOrderWithTheirOwnStamps) {
    struct Row {
        const char* what;
        int capacity;
        std::vector<Step> steps;
        int roomAfter;
    } rows[] = {
        {"one chunk at a time, never two in one take", 16,
         {Push({1, 2, 3}, 10), Push({4, 5}, 15), Take(8, {1, 2, 3}, 10), Take(8, {4, 5}, 15)}, 16},
        {"a part taken leaves the rest its stamp", 16,
         {Push({1, 2, 3}, 10), Take(2, {1, 2}, 10), Push({4}, 20), Take(5, {3}, 10), Take(5, {4}, 20)}, 16},
        {"bytes wrap round the end of the ring", 4,
         {Push({1, 2, 3}, 1), Take(2, {1, 2}, 1), Push({4, 5, 6}, 2), Take(9, {3}, 1), Take(2, {4, 5}, 2),
          Take(9, {6}, 2)}, 4},
        {"full to the last byte", 4, {Push({1, 2}, 1), Push({3, 4}, 2)}, 0},
        {"nothing there", 4, {TakeNothing(4, 0), Push({9}, 3)}, 3},
    };
    for (const Row& row : rows) {
        TSerRxQueue queue;
        queue.Start(row.capacity);
        for (std::size_t i = 0; i < row.steps.size(); ++i) {
            const Step& step = row.steps[i];
            if (!step.take) {
                queue.Push(step.bytes.data(), static_cast<int>(step.bytes.size()), At(step.ms));
                continue;
            }
            Bytes buffer(static_cast<std::size_t>(step.count), 0xEE);
            TSerRxQueue::TimePoint stamp = At(-1);
            const int got = queue.TakeChunk(buffer.data(), step.count, milliseconds(0), stamp);
            ASSERT_EQ(got, step.got) << row.what << ", step " << i;
            if (got <= 0) continue;
            EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + got), step.bytes) << row.what << ", step " << i;
            EXPECT_EQ(stamp, At(step.ms)) << row.what << ", step " << i;
        }
        EXPECT_EQ(queue.Room(), row.roomAfter) << row.what;
        EXPECT_EQ(queue.Count(), row.capacity - row.roomAfter) << row.what;
    }
}

TEST(TSerRxQueue, StoppedQueueGivesItsBytesThenSaysNobodyFillsIt) {
    TSerRxQueue never;  // never started
    std::uint8_t buffer[4];
    TSerRxQueue::TimePoint stamp;
    EXPECT_EQ(never.TakeChunk(buffer, 4, milliseconds(1000), stamp), -1);

    TSerRxQueue queue;
    queue.Start(8);
    queue.Push(Bytes{7, 8}.data(), 2, At(1));
    queue.Fail(5);
    queue.Stop();
    EXPECT_EQ(queue.TakeChunk(buffer, 4, milliseconds(1000), stamp), 2);  // bytes before the failure first
    EXPECT_EQ(queue.TakeChunk(buffer, 4, milliseconds(1000), stamp), 0);  // then the failure, at once
    EXPECT_EQ(queue.TakeError(), 5);
    EXPECT_EQ(queue.TakeError(), 0);
    EXPECT_EQ(queue.TakeChunk(buffer, 4, milliseconds(1000), stamp), -1);
    queue.Start(8);  // opened anew: empty, filled again
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_EQ(queue.TakeChunk(buffer, 4, milliseconds(0), stamp), 0);
}

// A read waiting for bytes is woken by what the event thread does. The predicate is looked at
// again when the wait times out, so a read that was never woken still gets its byte, but only
// after the whole ten seconds: half of them is the bound.
TEST(TSerRxQueue, WaitingReadIsWokenByAChunkOrByTheEnd) {
    struct Row {
        const char* what;
        bool push;
        int got;
    } rows[] = {{"a chunk comes", true, 1}, {"the event thread ends", false, -1}};
    for (const Row& row : rows) {
        TSerRxQueue queue;
        queue.Start(8);
        std::atomic<bool> reading{false};
        std::thread eventThread([&] {
            while (!reading) std::this_thread::yield();
            std::this_thread::sleep_for(milliseconds(100));  // the read is waiting by then, or the case proves less
            if (row.push) {
                queue.Push(Bytes{0x3E}.data(), 1, At(4));
            } else {
                queue.Stop();
            }
        });
        std::uint8_t byte = 0;
        TSerRxQueue::TimePoint stamp;
        reading = true;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(queue.TakeChunk(&byte, 1, milliseconds(10000), stamp), row.got) << row.what;
        EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(5000)) << row.what << ": not woken";
        eventThread.join();
    }
}

}  // namespace
