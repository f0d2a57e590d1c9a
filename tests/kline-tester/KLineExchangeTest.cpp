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

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

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
        SerialDevice device;
        std::string error;
        ASSERT_TRUE(device.Open(controller.TesterSide(), 10400, &error)) << error;
        controller.AnswerOnce(kRequest.size(), false, row.answer);
        KLineExchange exchange(device, EchoMode::None, 1000);
        const ExchangeResult result = exchange.Exchange(kRequest, row.further);
        EXPECT_EQ(result.status, ExchangeResult::Status::Reply) << row.what << ": " << result.error;
        EXPECT_EQ(result.reply, first) << row.what;
        EXPECT_EQ(1 + result.further.size(), row.frames) << row.what;
        EXPECT_EQ(result.checksumOk, row.checksumOk) << row.what;
        EXPECT_EQ(result.trailing, row.trailing) << row.what;
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
