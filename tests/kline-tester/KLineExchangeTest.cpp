#include "KLineExchange.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "SerialDevice.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The controller's side of a pseudo-terminal: reads one request, optionally echoes it,
// then writes a scripted answer.
class ScriptedController {
public:
    ScriptedController() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master_);
        unlockpt(master_);
    }
    ~ScriptedController() {
        if (worker_.joinable()) worker_.join();
        close(master_);
    }
    std::string TesterSide() const { return ptsname(master_); }

    void AnswerOnce(std::size_t requestSize, bool echo, Bytes answer) {
        worker_ = std::thread([this, requestSize, echo, answer] {
            Bytes request;
            while (request.size() < requestSize) {
                pollfd pfd{master_, POLLIN, 0};
                if (poll(&pfd, 1, 2000) <= 0) return;
                std::uint8_t buffer[64];
                const ssize_t n = read(master_, buffer, sizeof buffer);
                if (n <= 0) return;
                request.insert(request.end(), buffer, buffer + n);
            }
            if (echo) (void)!write(master_, request.data(), request.size());
            if (!answer.empty()) (void)!write(master_, answer.data(), answer.size());
        });
    }

private:
    int master_ = -1;
    std::thread worker_;
};

// 81 10 F1 81 03: StartCommunication to 0x10
const Bytes kRequest = {0x81, 0x10, 0xF1, 0x81, 0x03};
// 83 F1 10 C1 6B 8F 3F: its positive reply
const Bytes kReply = {0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F};

TEST(KLineExchangeTest, EchoModesAndReplyChecks) {
    struct Row {
        const char* what;
        EchoMode mode;
        bool echo;
        Bytes answer;
        ExchangeResult::Status status;
        bool checksumOk;
        Bytes reply;
    };
    const Bytes badSum = {0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x40};  // checksum off by one
    const Bytes cut = {0x83, 0xF1, 0x10, 0xC1};                        // stops after four bytes
    Bytes withTail = kReply;
    withTail.push_back(0x55);
    const Row rows[] = {
        {"echo tolerated", EchoMode::Tolerate, true, kReply, ExchangeResult::Status::Reply, true, kReply},
        {"no echo tolerated", EchoMode::Tolerate, false, kReply, ExchangeResult::Status::Reply, true, kReply},
        {"echo filtered", EchoMode::Filter, true, kReply, ExchangeResult::Status::Reply, true, kReply},
        {"echo missing", EchoMode::Filter, false, kReply, ExchangeResult::Status::NoEcho, false, {}},
        {"no echo expected", EchoMode::None, false, kReply, ExchangeResult::Status::Reply, true, kReply},
        {"bad checksum", EchoMode::Tolerate, true, badSum, ExchangeResult::Status::Reply, false, badSum},
        {"silent", EchoMode::Tolerate, true, {}, ExchangeResult::Status::NoReply, false, {}},
        {"cut short", EchoMode::Tolerate, true, cut, ExchangeResult::Status::BrokenReply, false, cut},
        {"trailing byte", EchoMode::Tolerate, false, withTail, ExchangeResult::Status::Reply, true, kReply},
    };
    for (const auto& row : rows) {
        ScriptedController controller;
        SerialDevice device;
        std::string error;
        ASSERT_TRUE(device.Open(controller.TesterSide(), 10400, &error)) << error;
        controller.AnswerOnce(kRequest.size(), row.echo, row.answer);
        // The scripted side is a thread of this process: a second covers a loaded machine.
        KLineExchange exchange(device, row.mode, 1000);
        const ExchangeResult result = exchange.Exchange(kRequest);
        EXPECT_EQ(result.status, row.status) << row.what << ": " << result.error;
        EXPECT_EQ(result.checksumOk, row.checksumOk) << row.what;
        if (row.status != ExchangeResult::Status::NoEcho) {
            EXPECT_EQ(result.reply, row.reply) << row.what;
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
