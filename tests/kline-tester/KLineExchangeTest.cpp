#include "KLineExchange.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "SerialDevice.h"
#include "support/PseudoTerminal.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The controller's side of a pseudo-terminal: reads one request, optionally echoes it,
// then writes a scripted answer. The tester's device is open on the other side.
class ScriptedController {
public:
    ScriptedController() {
        std::string error;
        EXPECT_TRUE(device.Open(pty_.SlavePath(), 10400, &error)) << error;
    }
    ~ScriptedController() {
        if (worker_.joinable()) worker_.join();
    }

    void AnswerOnce(std::size_t requestSize, bool echo, Bytes answer) {
        AnswerInSteps(requestSize, echo, {{0, answer}});
    }

    // After the request (and its echo): each step's bytes after its pause in milliseconds.
    void AnswerInSteps(std::size_t requestSize, bool echo, std::vector<std::pair<int, Bytes>> steps) {
        worker_ = std::thread([this, requestSize, echo, steps] {
            const Bytes request = pty_.Receive(requestSize);
            if (request.size() < requestSize) return;
            if (echo) pty_.Send(request);
            for (const auto& [pauseMs, bytes] : steps) {
                std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
                if (!bytes.empty()) pty_.Send(bytes);
            }
        });
    }

    // Echoes each byte as it comes, the last one after a pause, and answers with it at once.
    void EchoLateThenAnswer(std::size_t requestSize, int lastEchoPauseMs, Bytes answer) {
        worker_ = std::thread([this, requestSize, lastEchoPauseMs, answer] {
            for (std::size_t got = 0; got < requestSize; ++got) {
                Bytes out = pty_.Receive(1);
                if (out.size() != 1) return;
                if (got + 1 == requestSize) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(lastEchoPauseMs));
                    out.insert(out.end(), answer.begin(), answer.end());
                }
                pty_.Send(out);
            }
        });
    }

    SerialDevice device;

private:
    PseudoTerminal pty_;
    std::thread worker_;
};

// 81 10 F1 81 03: StartCommunication to 0x10
const Bytes kRequest = {0x81, 0x10, 0xF1, 0x81, 0x03};
// 83 F1 10 C1 6B 8F 3F: its positive reply
const Bytes kReply = {0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F};

// An echo filtered or missing, a bad checksum, silence and a cut reply are met by kline-tester
// itself in the program scenarios ("no echo", "each fault mode as the tester meets it").
TEST(KLineExchangeTest, ToleratedEchoAndATrailingByte) {
    Bytes withTail = kReply;
    withTail.push_back(0x55);
    const struct {
        const char* what;
        bool echo;
        Bytes answer;
    } rows[] = {
        {"echo tolerated", true, kReply}, {"no echo tolerated", false, kReply}, {"trailing byte", false, withTail}};
    for (const auto& row : rows) {
        ScriptedController controller;
        controller.AnswerOnce(kRequest.size(), row.echo, row.answer);
        // The scripted side is a thread of this process: a second covers a loaded machine.
        KLineExchange exchange(controller.device, EchoMode::Tolerate, 1000);
        const ExchangeResult result = exchange.Exchange(kRequest);
        EXPECT_EQ(result.status, ExchangeResult::Status::Reply) << row.what << ": " << result.error;
        EXPECT_TRUE(result.checksumOk) << row.what;
        EXPECT_EQ(result.reply, kReply) << row.what;
    }
}

// Byte by byte the tester reads each echo before it goes on; a reply that comes with a late
// last echo came that late after the request, and the latency says so.
TEST(KLineExchangeTest, LatencyCountsFromTheLastByteNotFromItsEcho) {
    ScriptedController controller;
    controller.EchoLateThenAnswer(kRequest.size(), 30, kReply);
    KLineExchange exchange(controller.device, EchoMode::ByteWise, 1000);
    const ExchangeResult result = exchange.Exchange(kRequest);
    ASSERT_EQ(result.status, ExchangeResult::Status::Reply) << result.error;
    EXPECT_GE(result.latencyMs, 30.0);
}

TEST(KLineExchangeTest, AnswerOfSeveralFrames) {
    // 43 …: two frames of stored codes, as an OBD controller answers mode 03
    const Bytes first = {0x87, 0xF1, 0x10, 0x43, 0x01, 0x02, 0x03, 0x00, 0x01, 0x12, 0xE4};
    const Bytes second = {0x87, 0xF1, 0x10, 0x43, 0x16, 0x89, 0x00, 0x00, 0x00, 0x00, 0x6A};
    Bytes badSecond = second;
    badSecond.back() ^= 0x01;
    struct Row {
        const char* what;
        bool further;  // asked for
        Bytes answer;
        std::size_t frames;
        bool checksumOk;
        Bytes trailing;
    };
    const Row rows[] = {
        {"both frames", true, Join({first, second}), 2, true, {}},
        {"only the first when not asked", false, Join({first, second}), 1, true, second},
        {"bad checksum in the second", true, Join({first, badSecond}), 2, false, {}},
        {"half a frame after", true, Join({first, {0x87, 0xF1}}), 1, true, {0x87, 0xF1}},
        {"no frame start after", true, Join({first, {0x00, 0x87}}), 1, true, {0x00, 0x87}},
    };
    for (const auto& row : rows) {
        ScriptedController controller;
        controller.AnswerOnce(kRequest.size(), false, row.answer);
        KLineExchange exchange(controller.device, EchoMode::None, 1000);
        const ExchangeResult result = exchange.Exchange(kRequest, row.further);
        EXPECT_EQ(result.status, ExchangeResult::Status::Reply) << row.what << ": " << result.error;
        EXPECT_EQ(result.reply, first) << row.what;
        EXPECT_EQ(1 + result.further.size(), row.frames) << row.what;
        EXPECT_EQ(result.checksumOk, row.checksumOk) << row.what;
        EXPECT_EQ(result.trailing, row.trailing) << row.what;
    }
}

// A careful tester waits on after "response pending" for as long as it allows. Busy, a single
// pending and pauses inside a reply: the program scenario's fault modes.
TEST(KLineExchangeTest, ResponsePendingIsWaitedForWithinItsBound) {
    using Status = ExchangeResult::Status;
    const Bytes pending = {0x83, 0xF1, 0x10, 0x7F, 0x81, 0x78, 0xFC};   // 7F 81 78
    const Bytes otherPending = {0x83, 0xF1, 0x10, 0x7F, 0x3E, 0x78, 0xB9};  // for another service
    struct Row {
        const char* what;
        std::vector<std::pair<int, Bytes>> steps;
        int pendingMaxMs;
        Status status;
        Bytes reply;
        std::size_t pendingFrames;
        double minLatencyMs;  // lower bound of the reply's latency
    };
    const Row rows[] = {
        // The real reply comes later than P2max (200 ms) allows, but within P2*max.
        {"pending twice", {{0, pending}, {250, pending}, {250, kReply}}, 3000, Status::Reply, kReply, 2, 500},
        {"pending, then nothing", {{0, pending}}, 400, Status::NoReply, {}, 1, 0},
        {"another service's pending is a reply", {{0, otherPending}}, 3000, Status::Reply, otherPending, 0, 0},
    };
    for (const auto& row : rows) {
        ScriptedController controller;
        controller.AnswerInSteps(kRequest.size(), true, row.steps);
        KLineExchange exchange(controller.device, EchoMode::Tolerate, 200, 20, row.pendingMaxMs);
        const ExchangeResult result = exchange.Exchange(kRequest);
        EXPECT_EQ(result.status, row.status) << row.what << ": " << result.error;
        EXPECT_EQ(result.reply, row.reply) << row.what;
        EXPECT_EQ(result.pending.size(), row.pendingFrames) << row.what;
        EXPECT_GE(result.latencyMs, row.minLatencyMs) << row.what;
        if (row.pendingFrames > 0 && row.status == Status::Reply) {
            EXPECT_EQ(result.pending.front(), pending) << row.what;
            EXPECT_LT(result.firstAnswerMs, result.latencyMs) << row.what;
            EXPECT_TRUE(result.checksumOk) << row.what;
        }
    }
}

TEST(KLineExchangeTest, OpeningSomethingThatIsNoSerialDeviceFails) {
    SerialDevice device;
    std::string error;
    EXPECT_FALSE(device.Open("/nonexistent/tty", 10400, &error));
    EXPECT_NE(error.find("cannot open /nonexistent/tty"), std::string::npos) << error;
    EXPECT_FALSE(device.Open("/dev/null", 10400, &error));
    EXPECT_NE(error.find("not a serial device"), std::string::npos) << error;
}

}  // namespace
