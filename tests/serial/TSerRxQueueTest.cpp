#include "serial/TSerRxQueue.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

TSerRxQueue::TimePoint At(int ms) { return TSerRxQueue::TimePoint{} + milliseconds(ms); }

// A script of steps on a queue: "+0102@10" pushes the bytes 01 02 stamped at 10 ms; "3:0102@10"
// takes up to three bytes and gets 01 02 stamped at 10 ms; "3:" gets nothing.
TEST(TSerRxQueue, ChunksComeOutInOrderWithTheirOwnStamps) {
    struct Row { const char* what; int capacity; const char* script; int roomAfter; } rows[] = {
        {"one chunk at a time, never two in one take", 16, "+010203@10 +0405@15 8:010203@10 8:0405@15", 16},
        {"a part taken leaves the rest its stamp", 16, "+010203@10 2:0102@10 +04@20 5:03@10 5:04@20", 16},
        {"bytes wrap round the end of the ring", 4, "+010203@1 2:0102@1 +040506@2 9:03@1 2:0405@2 9:06@2", 4},
        {"full to the last byte", 4, "+0102@1 +0304@2", 0},
        {"nothing there", 4, "4: +09@3", 3},
    };
    for (const Row& row : rows) {
        TSerRxQueue queue;
        queue.Start(row.capacity);
        std::istringstream script(row.script);
        for (std::string step; script >> step;) {
            const std::size_t from = step.find_first_of("+:") + 1, at = step.find('@');
            const QByteArray hex = QByteArray::fromHex(QByteArray::fromStdString(step.substr(from, at - from)));
            const Bytes bytes(hex.begin(), hex.end());
            const int ms = at == std::string::npos ? 0 : std::stoi(step.substr(at + 1));
            if (step[0] == '+') {
                queue.Push(bytes.data(), static_cast<int>(bytes.size()), At(ms));
                continue;
            }
            Bytes taken(std::stoul(step), 0xEE);
            TSerRxQueue::TimePoint stamp = At(-1);
            taken.resize(std::max(0, queue.TakeChunk(taken.data(), std::stoi(step), milliseconds(0), stamp)));
            EXPECT_EQ(taken, bytes) << row.what << ", " << step;
            EXPECT_EQ(stamp, At(taken.empty() ? -1 : ms)) << row.what << ", " << step;
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
    struct Row { const char* what; bool push; int got; } rows[] = {
        {"a chunk comes", true, 1}, {"the event thread ends", false, -1}};
    for (const Row& row : rows) {
        TSerRxQueue queue;
        queue.Start(8);
        std::atomic<bool> reading{false};
        std::thread eventThread([&] {
            while (!reading) std::this_thread::yield();
            std::this_thread::sleep_for(milliseconds(100));  // the read is waiting by then, or the case proves less
            row.push ? queue.Push(Bytes{0x3E}.data(), 1, At(4)) : queue.Stop();
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
