#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "line/ReplyPieces.h"

// Writes replies at their moments on a thread of its own, so that neither the window nor the
// control interface ever waits for a reply's time. Replies leave in the order they were queued.
// Every wait is a sleep until an absolute moment of the monotonic clock: a late wake-up delays
// one byte, and the bytes after it keep their own moments, so the error of a long reply with
// gaps between its bytes does not add up.
class ReplyPacer {
public:
    using Clock = std::chrono::steady_clock;
    // Hands bytes to the port; may throw the port's error.
    using Writer = std::function<int(const std::uint8_t* bytes, int count)>;
    // Told on the pacer's own thread.
    struct Events {
        std::function<void()> started;                   // a reply's first byte is about to leave
        std::function<void()> gone;                      // a reply's last byte has left
        std::function<void(const std::string&)> failed;  // the port refused; the reply is abandoned
        // A whole frame has left: its bytes, its first and its last byte's moments.
        std::function<void(const std::vector<std::uint8_t>&, Clock::time_point, Clock::time_point)> frameLeft;
        // Once, when the pacer's thread starts: what keeps the replies from keeping their
        // moments closely (a priority or timer slack refused), and how to allow it; not told
        // when everything was granted.
        std::function<void(const std::string&)> timingNotice;
        // The port did not take a frame (it refused, or is closed): the frame as far as it was
        // offered, and when. Nothing of it counts as sent.
        std::function<void(const std::vector<std::uint8_t>&, Clock::time_point)> frameRefused;
    };
    struct Reply {
        ReplyPieces pieces;
        Clock::time_point notBefore;          // the first byte's moment (a past one: at once)
        std::chrono::milliseconds byteGap{};  // between the bytes of a piece, at least between pieces
    };

    ReplyPacer(Writer writer, Events events);
    ~ReplyPacer();
    ReplyPacer(const ReplyPacer&) = delete;
    ReplyPacer& operator=(const ReplyPacer&) = delete;

    // Main thread. The thread starts with the first reply; nothing is queued after Stop.
    void Queue(Reply reply);
    // True from Queue until the reply's last byte has left (or it was abandoned).
    bool Busy() const { return outstanding_.load() > 0; }
    // When the last reply written had gone.
    Clock::time_point LastGone() const { return Clock::time_point(Clock::duration(lastGone_.load())); }
    // Ends the thread; replies not yet written are dropped.
    void Stop();

private:
    void Run();
    bool Take(Reply& reply);
    void Write(const Reply& reply);
    bool WriteAt(Clock::time_point moment, const std::uint8_t* bytes, int count);
    void FrameDone();

    // The frame being written, for frameLeft.
    std::vector<std::uint8_t> frame_;
    Clock::time_point frameFirst_{};
    Clock::time_point frameLast_{};
    bool SleepUntil(Clock::time_point moment) const;

    Writer writer_;
    Events events_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Reply> queue_;
    std::atomic<int> outstanding_{0};
    std::atomic<bool> stopping_{false};
    std::atomic<Clock::rep> lastGone_{0};
    std::thread thread_;
};
