#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <vector>

#include "line/ReplyLine.h"
#include "line/ReplyPacer.h"

namespace {

using Clock = ReplyPacer::Clock;
using Bytes = std::vector<std::uint8_t>;
using Ms = std::chrono::milliseconds;

// What reached the port: each write's bytes, when and on which thread; writes may be made to fail.
struct PortRecord {
    struct Write { Bytes bytes; Clock::time_point at; std::thread::id thread; };
    std::mutex lock;
    std::vector<Write> writes;
    std::atomic<int> started{0};
    std::atomic<int> gone{0};
    std::vector<std::string> failures;
    Bytes refuse;  // a write of exactly these bytes throws
    std::atomic<bool> closed{false};  // every write takes nothing
    std::vector<Bytes> left, refused;  // frames told as sent, and as not taken

    ReplyPacer::Writer Writer() {
        return [this](const std::uint8_t* b, int n) {
            std::lock_guard<std::mutex> guard(lock);
            if (Bytes(b, b + n) == refuse) throw std::runtime_error("Write error (5), I/O error");
            if (closed) return 0;
            writes.push_back({Bytes(b, b + n), Clock::now(), std::this_thread::get_id()});
            return n;
        };
    }
    ReplyPacer::Events Events() {
        ReplyPacer::Events e;
        e.started = [this] { ++started; };
        e.gone = [this] { ++gone; };
        e.failed = [this](const std::string& m) { Note(failures, m); };
        e.frameLeft = [this](const Bytes& frame, Clock::time_point, Clock::time_point) { Note(left, frame); };
        e.frameRefused = [this](const Bytes& frame, Clock::time_point) { Note(refused, frame); };
        return e;
    }
    // The pacer's thread tells its events while the test's thread may read.
    template <typename T>
    void Note(std::vector<T>& list, const T& item) {
        std::lock_guard<std::mutex> guard(lock);
        list.push_back(item);
    }
    bool WaitForGone(int count) {
        const auto until = Clock::now() + std::chrono::seconds(10);
        while (gone < count && Clock::now() < until) std::this_thread::sleep_for(Ms(1));
        return gone >= count;
    }
};

// Replies leave in their order, every byte no earlier than its moment: the first at the reply's
// moment, the next ones a byte gap apart, a piece after its pause.
TEST(ReplyPacer, RepliesLeaveInOrderNoEarlierThanTheirMoments) {
    PortRecord port;
    ReplyPacer pacer(port.Writer(), port.Events());
    const Clock::time_point queued = Clock::now();
    pacer.Queue({{{{0x11, 0x12, 0x13}, 0}}, queued + Ms(60), Ms(0)});
    pacer.Queue({{{{0x21, 0x22, 0x23, 0x24}, 0}}, queued, Ms(3)});  // due already: after the first
    pacer.Queue({{{{0x31, 0x32}, 0}, {{0x33}, 40}}, queued, Ms(0)});
    EXPECT_TRUE(pacer.Busy());
    ASSERT_TRUE(port.WaitForGone(3));
    EXPECT_FALSE(pacer.Busy());
    EXPECT_EQ(port.started, 3);

    std::lock_guard<std::mutex> guard(port.lock);
    const std::vector<Bytes> order = {{0x11, 0x12, 0x13}, {0x21}, {0x22}, {0x23}, {0x24}, {0x31, 0x32}, {0x33}};
    ASSERT_EQ(port.writes.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(port.writes[i].bytes, order[i]) << "write " << i;
    EXPECT_NE(port.writes[0].thread, std::this_thread::get_id());  // the pacer's own thread writes
    EXPECT_GE(port.writes[0].at, queued + Ms(60));
    // Each byte of the second reply no earlier than its place after the first reply has gone.
    for (std::size_t k = 1; k <= 3; ++k) EXPECT_GE(port.writes[1 + k].at, port.writes[0].at + Ms(3 * k)) << k;
    EXPECT_GE(port.writes[6].at, port.writes[4].at + Ms(40));
    EXPECT_GE(pacer.LastGone(), port.writes[6].at);
}

TEST(ReplyPacer, StopDropsWhatWaitsAndAPortErrorAbandonsOnlyItsReply) {
    PortRecord port;
    port.refuse = {0x41, 0x42};
    {
        ReplyPacer pacer(port.Writer(), port.Events());
        pacer.Queue({{{{0x41, 0x42}, 0}, {{0x43}, 0}}, Clock::now(), Ms(0)});  // refused, its rest dropped
        pacer.Queue({{{{0x51}, 0}}, Clock::now(), Ms(0)});
        ASSERT_TRUE(port.WaitForGone(2));
        pacer.Queue({{{{0x61}, 0}}, Clock::now() + std::chrono::seconds(30), Ms(0)});
        EXPECT_TRUE(pacer.Busy());
        const Clock::time_point stopping = Clock::now();
        pacer.Stop();  // does not wait for the reply's moment
        EXPECT_LT(Clock::now() - stopping, std::chrono::seconds(10));
        EXPECT_FALSE(pacer.Busy());
        pacer.Queue({{{{0x71}, 0}}, Clock::now(), Ms(0)});  // refused after Stop: never written below
    }
    std::lock_guard<std::mutex> guard(port.lock);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0].bytes, Bytes{0x51});
    EXPECT_EQ(port.failures, std::vector<std::string>{"Write error (5), I/O error"});
}

// Without a timing a reply goes to the port on the caller's thread, as it always has; with one,
// its first byte leaves no earlier than P2 after the request's last byte, or after the reply
// before it, whichever is later.
TEST(ReplyLine, ImmediateWithoutTimingPacedWithIt) {
    PortRecord port;
    ReplyLine line(port.Writer(), port.Events());
    const Bytes frame = {0x81, 0xF1, 0x10, 0x7E, 0x00};
    EXPECT_EQ(line.Send(frame.data(), 5), 5);
    line.Send(ReplyPieces{{frame, 0}});  // one piece without a pause: a whole frame
    ASSERT_EQ(port.writes.size(), 2u);  // written before Send returned: nothing else writes yet
    EXPECT_EQ(port.writes[1].thread, std::this_thread::get_id());
    EXPECT_FALSE(line.Waiting());
    EXPECT_EQ(port.started, 0);

    line.SetTiming({80, 2});
    const Clock::time_point requestEnd = Clock::now();
    line.AnsweringRequest(requestEnd);
    EXPECT_EQ(line.Send(frame.data(), 5), 5);
    EXPECT_TRUE(line.Waiting());
    ASSERT_TRUE(port.WaitForGone(1));
    line.SetTiming({30, 0});
    line.AnsweringRequest(requestEnd);  // a request that came while the first reply waited
    line.Send(frame.data(), 5);
    ASSERT_TRUE(port.WaitForGone(2));

    std::lock_guard<std::mutex> guard(port.lock);
    ASSERT_EQ(port.writes.size(), 2u + 5u + 1u);
    EXPECT_GE(port.writes[2].at, requestEnd + Ms(80));
    // P1 2 ms apart
    for (std::size_t k = 1; k < 5; ++k) EXPECT_GE(port.writes[2 + k].at, requestEnd + Ms(80 + 2 * k)) << k;
    EXPECT_EQ(port.writes[7].bytes, frame);
    EXPECT_GE(port.writes[7].at, port.writes[6].at + Ms(30));  // P2 from the first reply's end
}

// A frame is told as sent only once the port took it; one the port refused or could not take
// (closed) is told as refused instead, written at once or paced.
TEST(ReplyLine, AFrameIsToldAsSentOnlyWhenThePortTookIt) {
    const std::tuple<const char*, bool, bool, bool> cases[] = {  // what, paced, refused, port closed
        {"at once, taken", false, false, false}, {"at once, refused", false, true, false},
        {"at once, port closed", false, false, true}, {"paced, taken", true, false, false},
        {"paced, refused", true, true, false},   {"paced, port closed", true, false, true},
    };
    const Bytes frame = {0x81, 0xF1, 0x10, 0x7E, 0x00};
    for (const auto& [what, paced, refuse, closed] : cases) {
        SCOPED_TRACE(what);
        PortRecord port;
        if (refuse) port.refuse = frame;
        port.closed = closed;
        ReplyLine line(port.Writer(), port.Events());
        line.SetOnFrameLeft([&port](const std::uint8_t* b, std::size_t n, Clock::time_point, Clock::time_point) {
            port.left.emplace_back(b, b + n);
        });
        line.SetOnFrameRefused([&port](const std::uint8_t* b, std::size_t n, Clock::time_point) {
            port.refused.emplace_back(b, b + n);
        });
        if (paced) line.SetTiming({1, 0});
        if (refuse && !paced) {
            EXPECT_THROW(line.Send(frame.data(), 5), std::runtime_error);
        } else {
            line.Send(frame.data(), 5);
        }
        if (paced) {
            ASSERT_TRUE(port.WaitForGone(1));
        }
        std::lock_guard<std::mutex> guard(port.lock);
        const bool taken = !refuse && !closed;
        EXPECT_EQ(port.left, taken ? std::vector<Bytes>{frame} : std::vector<Bytes>{});
        EXPECT_EQ(port.refused, taken ? std::vector<Bytes>{} : std::vector<Bytes>{frame});
    }
}

}  // namespace
