#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include "BenchRun.h"
#include "LatencyStats.h"
#include "LiveBlockDecoder.h"
#include "SerialDevice.h"
#include "emulator/KwpFrame.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// A control connection for the tester's thread, with plain blocking socket calls.
class BlockingControl {
public:
    explicit BlockingControl(const std::string& path) {
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~BlockingControl() {
        if (fd_ >= 0) close(fd_);
    }
    bool Connected() const { return fd_ >= 0; }

    std::string Ask(const std::string& line) {
        const std::string out = line + "\n";
        if (write(fd_, out.data(), out.size()) != static_cast<ssize_t>(out.size())) return "<write failed>";
        std::string answer;
        char c;
        while (read(fd_, &c, 1) == 1 && c != '\n') answer += c;
        return answer;
    }

private:
    int fd_ = -1;
};

struct SoakFigures {
    int exchanges = 0;
    int chunks = 0;
    int wakeUps = 0;
    int changes = 0;
    int mismatches = 0;
    int lost = 0;
    int badEcho = 0;
    int badReference = 0;
    LatencyStats latency;
    std::vector<std::string> firstProblems;

    void Problem(const std::string& what) {
        if (firstProblems.size() < 10) firstProblems.push_back(what);
    }
};

std::string Hex(const Bytes& bytes) {
    std::string text;
    char digits[4];
    for (auto b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X ", b);
        text += digits;
    }
    return text;
}

Bytes Frame(std::uint8_t target, const Bytes& data) {
    return BuildFrame(target, 0xF1, data.data(), data.size(), FrameForm::BySize);
}

// The tester's side: a mixed stream of requests, each split into random chunks, while the
// controller's values, type and trouble codes change over the control interface.
class SoakTester {
public:
    SoakTester(const std::string& port, const std::string& control, std::uint32_t seed)
        : control_(control), random_(seed) {
        std::string error;
        portOpen_ = device_.Open(port, 10400, &error);
    }

    bool Ready() const { return portOpen_ && control_.Connected(); }

    void Run(Clock::duration length, SoakFigures& figures) {
        const auto end = Clock::now() + length;
        Change(figures, "click ignition");
        Exchange(Frame(0x10, {0x81}), Bytes{0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F}, figures);
        TakeReference(figures);
        while (Clock::now() < end) {
            if (Pick(12) == 0) {
                RandomChange(figures);
                TakeReference(figures);
            }
            const std::uint8_t target = Target();
            switch (Pick(4)) {
            case 0:
                Exchange(Frame(target, {0x21, 0x01}),
                         BuildFrame(0xF1, target, block_.data(), block_.size(), FrameForm::BySize), figures);
                break;
            case 1:
                // TesterPresent: 7E back, addressed from the controller
                Exchange(Frame(target, {0x3E}), Reply(target, {0x7E}), figures);
                break;
            case 2: {
                Bytes ident = {0x5A, 0x9A};
                ident.insert(ident.end(), rom_.begin(), rom_.end());
                Exchange(Frame(target, {0x1A, 0x9A}), Reply(target, ident), figures);
                break;
            }
            default:
                Exchange(Frame(target, {0x81}), StartReply(target), figures);
                break;
            }
        }
    }

private:
    static Bytes Reply(std::uint8_t from, const Bytes& data) {
        return BuildFrame(0xF1, from, data.data(), data.size(), FrameForm::Short);
    }

    Bytes StartReply(std::uint8_t target) const {
        if (variant_ == EcuVariant::B7 && target == 0x10) return {0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3};
        if (target == 0x11) return {0x83, 0xF1, 0x11, 0xC1, 0x6B, 0x8F, 0x40};
        return {0x83, 0xF1, 0x10, 0xC1, 0x6B, 0x8F, 0x3F};
    }

    std::uint8_t Target() {
        if (variant_ == EcuVariant::BMP) return 0x11;
        if (variant_ == EcuVariant::B7) return Pick(2) ? 0x11 : 0x10;
        return 0x10;
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    void Change(SoakFigures& figures, const std::string& line) {
        ++figures.changes;
        const std::string answer = control_.Ask(line);
        if (answer != "OK") figures.Problem(line + " -> " + answer);
    }

    void RandomChange(SoakFigures& figures) {
        struct Range {
            const char* name;
            double from, to;
        };
        // Ranges inside what every block's fields can carry.
        static const Range kRanges[] = {{"speed", 10, 250},    {"coolant", -40, 140}, {"rpm", 0, 8000},
                                        {"throttle", 0, 99},   {"idle-valve", 0, 100}, {"fuel-flow", 0, 40},
                                        {"air-flow", 0, 60},   {"voltage", 5.2, 17.9}, {"idle-rpm", 0, 2500},
                                        {"injection", 0, 100}};
        static const char* const kVariants[] = {"Ja5", "B1", "Ja7", "B7", "BMP", "b17"};
        static const char* const kRoms[] = {"V5V13J02", "J5V03J21", "I205DM52", "B104CD21", "M7V03N02", "B404CD21"};
        char line[96];
        switch (Pick(4)) {
        case 0: {
            const int v = Pick(6);
            variant_ = static_cast<EcuVariant>(v);
            rom_ = kRoms[v];
            Change(figures, std::string("variant ") + kVariants[v]);
            break;
        }
        case 1: {
            const int index = 1 + Pick(113);
            const bool on = ticked_.count(index) == 0;
            std::snprintf(line, sizeof line, "dtc %d %s", index, on ? "on" : "off");
            if (on) {
                ticked_.insert(index);
            } else {
                ticked_.erase(index);
            }
            Change(figures, line);
            break;
        }
        case 2: {
            rom_.clear();
            for (int i = 0, n = 1 + Pick(16); i < n; ++i) rom_ += "ABCDEFGHJKLMNPRSTUVWXYZ0123456789"[Pick(33)];
            Change(figures, "ident 9A " + rom_);
            break;
        }
        default: {
            const Range& range = kRanges[Pick(10)];
            const double value = std::uniform_real_distribution<double>(range.from, range.to)(random_);
            std::snprintf(line, sizeof line, "set %s %.2f", range.name, value);
            Change(figures, line);
            break;
        }
        }
    }

    // The 21 01 block for the current state, asked for in one piece and checked against the
    // values the console shows.
    void TakeReference(SoakFigures& figures) {
        const std::uint8_t target = variant_ == EcuVariant::BMP ? 0x11 : 0x10;
        const Bytes request = Frame(target, {0x21, 0x01});
        Bytes reply;
        if (!Send(request, {request.size()}, figures) || !Receive(request, reply, figures)) {
            ++figures.badReference;
            figures.Problem("no reference block");
            return;
        }
        const FrameView view = DecodeFrame(reply.data());
        block_.assign(view.data, view.data + view.length);
        const auto decoded = LiveBlockDecoder::Decode(variant_, view.data, view.length);
        if (!decoded.error.empty()) {
            ++figures.badReference;
            figures.Problem("reference: " + decoded.error);
        }
        std::map<std::string, double> shown;
        for (const auto& value : decoded.values) {
            if (shown.count(value.name)) continue;
            double expected;
            if (value.name == "dtc-count") {
                expected = static_cast<double>(ticked_.size());
            } else if (value.name == "run-state") {
                const double rpm = std::stod(control_.Ask("get rpm").substr(3));
                expected = rpm == 0 ? 1 : rpm < 1000 ? 2 : 0;
            } else {
                expected = std::stod(control_.Ask("get " + value.name).substr(3));
            }
            shown[value.name] = expected;
            if (std::fabs(value.value - expected) > value.step / 2 + 1e-3) {
                ++figures.badReference;
                figures.Problem("reference " + value.name + " " + std::to_string(value.value) + " shown " +
                                std::to_string(expected) + " in " + Hex(reply));
            }
        }
    }

    void Exchange(const Bytes& request, const Bytes& expected, SoakFigures& figures) {
        // Random cuts; the pieces of one request follow each other within a few milliseconds.
        std::vector<std::size_t> pieces;
        for (std::size_t left = request.size(); left > 0;) {
            const std::size_t piece = 1 + static_cast<std::size_t>(Pick(static_cast<int>(left)));
            pieces.push_back(piece);
            left -= piece;
        }
        if (Pick(40) == 0) WakeUp(figures);
        Bytes reply;
        ++figures.exchanges;
        if (!Send(request, pieces, figures)) return;
        if (!Receive(request, reply, figures)) return;
        if (reply != expected) {
            ++figures.mismatches;
            figures.Problem("sent " + Hex(request) + "got " + Hex(reply) + "expected " + Hex(expected));
        }
    }

    void WakeUp(SoakFigures& figures) {
        ++figures.wakeUps;
        const Bytes zero = {0x00};
        Bytes echo;
        Send(zero, {1}, figures);
        std::uint8_t byte;
        std::string error;
        if (device_.Read(&byte, 1, 1000, &error) != 1 || byte != 0x00) {
            ++figures.badEcho;
            figures.Problem("wake-up byte not echoed");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    bool Send(const Bytes& request, const std::vector<std::size_t>& pieces, SoakFigures& figures) {
        std::size_t at = 0;
        std::string error;
        for (std::size_t piece : pieces) {
            if (at > 0) std::this_thread::sleep_for(std::chrono::microseconds(Pick(3000)));
            if (!device_.Write(request.data() + at, piece, &error)) {
                figures.Problem(error);
                return false;
            }
            at += piece;
            ++figures.chunks;
        }
        sent_ = Clock::now();
        return true;
    }

    // The echo of the whole request first, then one reply frame.
    bool Receive(const Bytes& request, Bytes& reply, SoakFigures& figures) {
        Bytes got;
        std::size_t frameSize = 0;
        bool first = true;
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        std::string error;
        while (Clock::now() < deadline) {
            std::uint8_t buffer[300];
            const int n = device_.Read(buffer, sizeof buffer, 50, &error);
            if (n < 0) break;
            got.insert(got.end(), buffer, buffer + n);
            if (got.size() > request.size()) {
                if (first) {
                    figures.latency.Add(std::chrono::duration<double, std::milli>(Clock::now() - sent_).count());
                    first = false;
                }
                const FrameSize size = ExpectedFrameSize(got.data() + request.size(), got.size() - request.size());
                if (size.status == FrameSize::Status::Known) frameSize = size.bytes;
                if (size.status == FrameSize::Status::NotServed) break;
                if (frameSize != 0 && got.size() >= request.size() + frameSize) break;
            }
        }
        if (!std::equal(request.begin(), request.end(), got.begin(),
                        got.begin() + static_cast<long>(std::min(got.size(), request.size())))
            || got.size() < request.size()) {
            ++figures.badEcho;
            figures.Problem("echo of " + Hex(request) + "came as " + Hex(got));
            return false;
        }
        if (frameSize == 0 || got.size() < request.size() + frameSize) {
            ++figures.lost;
            figures.Problem("no reply to " + Hex(request) + "got " + Hex(got));
            return false;
        }
        reply.assign(got.begin() + static_cast<long>(request.size()), got.end());
        return true;
    }

    SerialDevice device_;
    bool portOpen_ = false;
    BlockingControl control_;
    std::mt19937 random_;
    EcuVariant variant_ = EcuVariant::Ja5;
    std::string rom_ = "V5V13J02";
    std::set<int> ticked_;
    Bytes block_;  // the data of the current 21 01 reply, the same at either address
    Clock::time_point sent_;
};

TEST(SoakTest, MixedStreamInRandomChunksWhileTheConsoleChanges) {
    const int seconds = qEnvironmentVariableIsSet("VORTA_SOAK_SECONDS") ? qEnvironmentVariableIntValue("VORTA_SOAK_SECONDS") : 60;
    BenchRun bench;
    ASSERT_TRUE(bench.Started());
    const std::uint32_t seed = static_cast<std::uint32_t>(Clock::now().time_since_epoch().count());
    SoakTester tester(bench.TesterPort().toStdString(), bench.Session().ControlEndpoint().mid(5).toStdString(), seed);
    ASSERT_TRUE(tester.Ready());
    SoakFigures figures;
    std::atomic<bool> done{false};
    std::thread side([&] {
        tester.Run(std::chrono::seconds(seconds), figures);
        done = true;
    });
    const bool finished = QTest::qWaitFor([&] { return done.load(); }, (seconds + 120) * 1000);
    side.join();
    EXPECT_TRUE(finished);

    std::printf("soak %d s, seed %u: %d exchanges in %d chunks, %d wake-ups, %d control changes; "
                "%d mismatches, %d lost, %d bad echoes, %d bad references; latency %s\n",
                seconds, seed, figures.exchanges, figures.chunks, figures.wakeUps, figures.changes,
                figures.mismatches, figures.lost, figures.badEcho, figures.badReference,
                figures.latency.Summary().c_str());
    std::string problems;
    for (const auto& p : figures.firstProblems) problems += p + "\n";
    EXPECT_GT(figures.exchanges, seconds * 10);
    EXPECT_EQ(figures.mismatches, 0) << problems;
    EXPECT_EQ(figures.lost, 0) << problems;
    EXPECT_EQ(figures.badEcho, 0) << problems;
    EXPECT_EQ(figures.badReference, 0) << problems;
    EXPECT_TRUE(figures.firstProblems.empty()) << problems;
    EXPECT_TRUE(bench.messages.isEmpty()) << bench.messages.join('\n').toStdString();
}

}  // namespace
