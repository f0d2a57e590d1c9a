#include "line/ReplyPacer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <exception>
#include <sys/prctl.h>
#include <utility>

#include "common/ThreadPriority.h"

namespace {

// A wait is cut into slices this long, so that Stop never waits for a long reply time.
constexpr std::chrono::milliseconds kSlice{20};
// The last stretch before a byte's moment, watched on the clock rather than slept.
constexpr std::chrono::microseconds kWatchedApproach{150};

timespec MonotonicMoment(ReplyPacer::Clock::time_point moment) {
    // The steady clock is CLOCK_MONOTONIC: its epoch and its ticks are the kernel's.
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(moment.time_since_epoch()).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    return ts;
}

}  // namespace

ReplyPacer::ReplyPacer(Writer writer, Events events) : writer_(std::move(writer)), events_(std::move(events)) {}

ReplyPacer::~ReplyPacer() { Stop(); }

void ReplyPacer::Queue(Reply reply) {
    if (stopping_) return;
    ++outstanding_;
    {
        std::lock_guard<std::mutex> guard(lock_);
        queue_.push_back(std::move(reply));
    }
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Run(); });
    }
    wake_.notify_one();
}

void ReplyPacer::Stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    outstanding_ = 0;
}

bool ReplyPacer::Take(Reply& reply) {
    std::unique_lock<std::mutex> guard(lock_);
    wake_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return false;
    reply = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

void ReplyPacer::Run() {
    // Wake-ups on time: the kernel may otherwise round a sleep up by its default slack.
    std::string refused;
    if (::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) != 0) {
        refused = std::string("a fine timer slack (") + std::strerror(errno) + ")";
    }
    if (const int error = ApplyThreadPriority(CurrentThreadId(), tpHighest)) {
        refused += (refused.empty() ? "" : " and ") + std::string("a raised priority (") + std::strerror(error) + ")";
    }
    if (!refused.empty() && events_.timingNotice) {
        events_.timingNotice("Reply timing may jitter: the reply pacer was refused " + refused +
                             ". To allow it, give the program CAP_SYS_NICE (sudo setcap cap_sys_nice+ep vorta-tester) "
                             "or a nice limit in /etc/security/limits.conf (@dialout - nice -10).");
    }
    Reply reply;
    while (Take(reply)) {
        Write(reply);
        lastGone_ = Clock::now().time_since_epoch().count();
        --outstanding_;
        if (events_.gone) events_.gone();
    }
}

void ReplyPacer::Write(const Reply& reply) {
    bool started = false;
    Clock::time_point last = std::max(reply.notBefore, Clock::now());  // the last byte's moment
    for (const ReplyPiece& piece : reply.pieces) {
        if (piece.bytes.empty()) continue;
        const auto pause = std::chrono::milliseconds(piece.pauseBeforeMs);
        Clock::time_point moment = started ? last + std::max(pause, reply.byteGap) : last + pause;
        if (!SleepUntil(moment)) return;
        if (!started) {
            started = true;
            if (events_.started) events_.started();
        }
        if (!piece.sameFrame) FrameDone();
        const int count = static_cast<int>(piece.bytes.size());
        if (reply.byteGap.count() == 0) {
            if (!WriteAt(moment, piece.bytes.data(), count)) return;
        } else {
            for (int i = 0; i < count; ++i, moment += reply.byteGap) {
                if (!WriteAt(moment, piece.bytes.data() + i, 1)) return;
            }
            moment -= reply.byteGap;
        }
        last = moment;
    }
    FrameDone();
}

void ReplyPacer::FrameDone() {
    if (!frame_.empty() && events_.frameLeft) events_.frameLeft(frame_, frameFirst_, frameLast_);
    frame_.clear();
}

bool ReplyPacer::WriteAt(Clock::time_point moment, const std::uint8_t* bytes, int count) {
    if (!SleepUntil(moment)) return false;
    const Clock::time_point now = Clock::now();
    try {
        if (writer_(bytes, count) == count) {
            if (frame_.empty()) frameFirst_ = now;
            frameLast_ = now;
            frame_.insert(frame_.end(), bytes, bytes + count);
            return true;
        }
    } catch (const std::exception& e) {
        if (events_.failed) events_.failed(e.what());
    } catch (...) {
        if (events_.failed) events_.failed("the port refused a reply");
    }
    // What went of a refused frame is no frame.
    frame_.insert(frame_.end(), bytes, bytes + count);
    if (events_.frameRefused) events_.frameRefused(frame_, now);
    frame_.clear();
    return false;
}

bool ReplyPacer::SleepUntil(Clock::time_point moment) const {
    // Sleep to just short of the moment, then watch the clock for the rest: a thread woken
    // from sleep runs some tens of microseconds late, which a reply's P2 would carry.
    const Clock::time_point wake = moment - kWatchedApproach;
    while (!stopping_) {
        const Clock::time_point now = Clock::now();
        if (now >= wake) break;
        const timespec until = MonotonicMoment(std::min(wake, now + kSlice));
        ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
    }
    while (!stopping_ && Clock::now() < moment) {
    }
    return !stopping_;
}
