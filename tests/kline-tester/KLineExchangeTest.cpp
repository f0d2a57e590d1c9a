#include "KLineExchange.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <tuple>

#include "SerialDevice.h"
#include "support/HexBytes.h"
#include "support/PseudoTerminal.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// StartCommunication to 0x10, and its positive reply
const Bytes kRequest = Hex("81 10 F1 81 03");
const Bytes kReply = Hex("83 F1 10 C1 6B 8F 3F");

// The controller's side of a pseudo-terminal: reads the request byte by byte, echoing each as
// it comes when asked to (after `beforeEcho`), the last one `lastEchoPauseMs` late; then writes
// each step's bytes after its pause in milliseconds. The tester's device is open on the other side.
class ScriptedController {
public:
    ScriptedController(bool echo, std::vector<std::pair<int, Bytes>> steps, int lastEchoPauseMs = 0,
                       Bytes beforeEcho = {}) {
        std::string error;
        EXPECT_TRUE(device.Open(pty_.SlavePath(), 10400, &error)) << error;
        worker_ = std::thread([this, echo, steps, lastEchoPauseMs, beforeEcho] {
            for (std::size_t got = 1; got <= kRequest.size(); ++got) {
                const Bytes byte = pty_.Receive(1);
                if (byte.size() != 1) return;
                if (got == 1 && !beforeEcho.empty()) pty_.Send(beforeEcho);
                if (got == kRequest.size()) std::this_thread::sleep_for(std::chrono::milliseconds(lastEchoPauseMs));
                if (echo) pty_.Send(byte);
            }
            for (const auto& [pauseMs, bytes] : steps) {
                std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
                pty_.Send(bytes);
            }
        });
    }
    ~ScriptedController() { worker_.join(); }
    SerialDevice device;

private:
    PseudoTerminal pty_;
    std::thread worker_;
};

// Byte by byte the tester reads each echo before it goes on; a reply that comes with a late
// last echo came that late after the request, and the latency says so.
TEST(KLineExchangeTest, LatencyCountsFromTheLastByteNotFromItsEcho) {
    ScriptedController controller(true, {{0, kReply}}, 30);
    KLineExchange exchange(controller.device, EchoMode::ByteWise, 1000);
    const ExchangeResult result = exchange.Exchange(kRequest);
    ASSERT_EQ(result.status, ExchangeResult::Status::Reply) << result.error;
    EXPECT_GE(result.latencyMs, 30.0);
}

// A fast init's wake-up zero echoed late, after the first request has gone, is no part of its
// reply; a tester that sent no wake-up takes the same zero as the reply's start.
TEST(KLineExchangeTest, ALateWakeUpEchoIsDroppedOnlyAfterAWakeUp) {
    for (const bool wokeUp : {true, false}) {
        ScriptedController controller(true, {{0, kReply}}, 0, Hex("00"));
        KLineExchange exchange(controller.device, EchoMode::Tolerate, 1000);
        if (wokeUp) exchange.AfterWakeUp();
        const ExchangeResult result = exchange.Exchange(kRequest);
        EXPECT_EQ(result.echoSeen, wokeUp);
        EXPECT_EQ(result.status == ExchangeResult::Status::Reply && result.reply == kReply, wokeUp)
            << HexText(result.reply);
    }
}

// An echo filtered or missing, a bad checksum, silence and a cut reply are met by kline-tester
// itself in the program scenarios ("no echo", "each fault mode as the tester meets it"); here an
// echo tolerated or not there, and what follows a reply: further frames when asked for, a rest.
TEST(KLineExchangeTest, ToleratedEchoAndWhatFollowsTheReply) {
    // 43 …: two frames of stored codes, as an OBD controller answers mode 03
    const std::string first = "87 F1 10 43 01 02 03 00 01 12 E4", second = "87 F1 10 43 16 89 00 00 00 00 6A";
    // what, echoed, an echo tolerated (else none looked for), what follows the first frame, further
    // frames asked for; the frames, their checksums good, what is left over
    const std::tuple<const char*, bool, bool, std::string, bool, std::size_t, bool, std::string> rows[] = {
        {"echo tolerated", true, true, "", false, 1, true, ""},
        {"no echo tolerated", false, true, "", false, 1, true, ""},
        {"trailing byte", false, true, "55", false, 1, true, "55"},
        {"both frames", false, false, second, true, 2, true, ""},
        {"only the first when not asked", false, false, second, false, 1, true, second},
        {"bad checksum in the second", false, false, "87 F1 10 43 16 89 00 00 00 00 6B", true, 2, false, ""},
        {"half a frame after", false, false, "87 F1", true, 1, true, "87 F1"},
        {"no frame start after", false, false, "00 87", true, 1, true, "00 87"},
    };
    for (const auto& [what, echo, tolerate, after, further, frames, checksumOk, trailing] : rows) {
        ScriptedController controller(echo, {{0, Hex(after.empty() ? first : first + " " + after)}});
        // The scripted side is a thread of this process: a second covers a loaded machine.
        KLineExchange exchange(controller.device, tolerate ? EchoMode::Tolerate : EchoMode::None, 1000);
        const ExchangeResult result = exchange.Exchange(kRequest, further);
        EXPECT_EQ(result.status, ExchangeResult::Status::Reply) << what << ": " << result.error;
        EXPECT_EQ(result.reply, Hex(first)) << what;
        EXPECT_EQ(1 + result.further.size(), frames) << what;
        EXPECT_EQ(result.checksumOk, checksumOk) << what;
        EXPECT_EQ(result.trailing, Hex(trailing)) << what;
    }
}

// A careful tester waits on after "response pending" for as long as it allows. Busy, a single
// pending and pauses inside a reply: the program scenario's fault modes.
TEST(KLineExchangeTest, ResponsePendingIsWaitedForWithinItsBound) {
    using Status = ExchangeResult::Status;
    const Bytes pending = Hex("83 F1 10 7F 81 78 FC");
    const Bytes otherPending = Hex("83 F1 10 7F 3E 78 B9");  // for another service
    // The controller's steps, P2*max; then the outcome, reply, pending frames and least latency.
    using Steps = std::vector<std::pair<int, Bytes>>;
    const std::tuple<const char*, Steps, int, Status, Bytes, std::size_t, double> rows[] = {
        // The real reply comes later than P2max (200 ms) allows, but within P2*max.
        {"pending twice", {{0, pending}, {250, pending}, {250, kReply}}, 3000, Status::Reply, kReply, 2, 500},
        {"pending, then nothing", {{0, pending}}, 400, Status::NoReply, {}, 1, 0},
        {"another service's pending is a reply", {{0, otherPending}}, 3000, Status::Reply, otherPending, 0, 0},
    };
    for (const auto& [what, steps, pendingMaxMs, status, reply, pendingFrames, minLatencyMs] : rows) {
        ScriptedController controller(true, steps);
        KLineExchange exchange(controller.device, EchoMode::Tolerate, 200, 20, pendingMaxMs);
        const ExchangeResult result = exchange.Exchange(kRequest);
        EXPECT_EQ(result.status, status) << what << ": " << result.error;
        EXPECT_EQ(result.reply, reply) << what;
        EXPECT_EQ(result.pending.size(), pendingFrames) << what;
        EXPECT_GE(result.latencyMs, minLatencyMs) << what;
        if (pendingFrames > 0 && status == Status::Reply) {
            EXPECT_EQ(result.pending.front(), pending) << what;
            EXPECT_LT(result.firstAnswerMs, result.latencyMs) << what;
            EXPECT_TRUE(result.checksumOk) << what;
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
