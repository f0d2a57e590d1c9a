#include <QEventLoop>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "support/BenchRun.h"
#include "LatencyStats.h"
#include "protocol/LiveBlockDecoder.h"
#include "SerialDevice.h"
#include "common/HexText.h"
#include "protocol/KwpFrame.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

std::string Hex(const Bytes& bytes) {
    return HexText(bytes) + ' ';
}

Bytes Request(std::uint8_t target, const Bytes& data) {
    return BuildFrame(target, 0xF1, data.data(), data.size(), FrameForm::BySize);
}

Bytes Reply(std::uint8_t from, const Bytes& data, FrameForm form = FrameForm::Short) {
    return BuildFrame(0xF1, from, data.data(), data.size(), form);
}

const char* const kValues[] = {"speed",     "coolant",  "rpm",      "throttle", "idle-valve", "fuel-flow",
                               "air-flow",  "voltage",  "idle-rpm", "injection", "consumption"};

// What the console holds, as the control interface last set it and its mirrors show it.
struct ConsoleState {
    EcuVariant variant = EcuVariant::Ja5;
    std::string rom = "V5V13J02";
    std::set<int> ticked;
    std::map<std::string, double> shown;
};

// The tester's side of the link, run on a thread of its own while the window serves the port.
class SoakLink {
public:
    SoakLink(const std::string& port, std::uint32_t seed) : random_(seed) {
        std::string error;
        open_ = device_.Open(port, 10400, &error);
    }
    bool Open() const { return open_; }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    // The live block checked against the shown values, then mixed requests to either address.
    void Batch(const ConsoleState& state, int count) {
        const std::uint8_t home = state.variant == EcuVariant::BMP ? 0x11 : 0x10;
        Bytes reply;
        Exchange(Request(home, {0x81}), StartReply(state, home));
        if (!Exchange(Request(home, {0x21, 0x01}), {}, &reply)) return;
        const FrameView view = DecodeFrame(reply.data());
        const Bytes block(view.data, view.data + view.length);
        CheckBlock(state, block, reply);
        Bytes ident = {0x5A, 0x9A};
        ident.insert(ident.end(), state.rom.begin(), state.rom.end());
        for (int i = 0; i < count; ++i) {
            const std::uint8_t to = state.variant == EcuVariant::BMP                ? 0x11
                                    : state.variant == EcuVariant::B7 && Pick(2) ? 0x11
                                                                                 : 0x10;
            switch (Pick(4)) {
            case 0: Exchange(Request(to, {0x21, 0x01}), Reply(to, block, FrameForm::BySize)); break;
            case 1: Exchange(Request(to, {0x3E}), Reply(to, {0x7E})); break;  // TesterPresent
            case 2: Exchange(Request(to, {0x1A, 0x9A}), Reply(to, ident)); break;  // ROM version
            default: Exchange(Request(to, {0x81}), StartReply(state, to)); break;
            }
        }
    }

    int exchanges = 0, chunks = 0, mismatches = 0, lost = 0, badEcho = 0, badBlock = 0;
    LatencyStats latency;
    std::string problems;  // the first few, for the failure message

private:
    // C1 6B 8F: communication started; a B7 answers at 0x10 with keys EF 8F
    static Bytes StartReply(const ConsoleState& state, std::uint8_t to) {
        return Reply(to, {0xC1, std::uint8_t(state.variant == EcuVariant::B7 && to == 0x10 ? 0xEF : 0x6B), 0x8F});
    }

    void Problem(int& counter, const std::string& what) {
        if (++counter < 5) problems += what + "\n";
    }

    void CheckBlock(const ConsoleState& state, const Bytes& block, const Bytes& reply) {
        const auto decoded = LiveBlockDecoder::Decode(state.variant, block.data(), block.size());
        if (!decoded.error.empty()) Problem(badBlock, decoded.error + " in " + Hex(reply));
        for (const auto& value : decoded.values) {
            const double rpm = state.shown.at("rpm");
            const double expected = value.name == "dtc-count" ? static_cast<double>(state.ticked.size())
                                    : value.name == "run-state" ? (rpm == 0 ? 1 : rpm < 1000 ? 2 : 0)
                                                                : state.shown.at(value.name);
            if (std::abs(value.value - expected) > value.step / 2 + 1e-3) {
                Problem(badBlock, value.name + " " + std::to_string(value.value) + " shown " +
                                      std::to_string(expected) + " in " + Hex(reply));
            }
        }
    }

    // Sends the request in random pieces, written one right after the other, and expects its
    // echo and then one reply frame. No pause between them: a pause overslept on a loaded machine
    // would pass the 40 ms after which a partial frame is dropped (the splits at every moment
    // are the reassembly test's, on a hand-driven clock).
    bool Exchange(const Bytes& request, const Bytes& expected, Bytes* replyOut = nullptr) {
        ++exchanges;
        std::string error;
        for (std::size_t at = 0; at < request.size(); ++chunks) {
            const std::size_t piece = 1 + static_cast<std::size_t>(Pick(static_cast<int>(request.size() - at)));
            device_.Write(request.data() + at, piece, &error);
            at += piece;
        }
        const auto sent = Clock::now();
        Bytes got;
        std::size_t need = request.size() + 1;
        bool known = false;
        for (const auto deadline = sent + std::chrono::seconds(2); !(known && got.size() >= need) && Clock::now() < deadline;) {
            std::uint8_t buffer[300];
            const int n = device_.Read(buffer, sizeof buffer, 50, &error);
            if (n < 0) break;
            if (n > 0 && got.size() <= request.size() && got.size() + n > request.size()) {
                latency.Add(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            }
            got.insert(got.end(), buffer, buffer + n);
            if (got.size() <= request.size()) continue;
            const FrameSize size = ExpectedFrameSize(got.data() + request.size(), got.size() - request.size());
            if (size.status == FrameSize::Status::NotServed) break;
            known = size.status == FrameSize::Status::Known;
            need = request.size() + size.bytes;
        }
        if (got.size() < request.size() || !std::equal(request.begin(), request.end(), got.begin())) {
            Problem(badEcho, "echo of " + Hex(request) + "came as " + Hex(got));
            return false;
        }
        const Bytes reply(got.begin() + static_cast<std::ptrdiff_t>(request.size()), got.end());
        if (!known || got.size() < need) {
            Problem(lost, "no reply to " + Hex(request) + "got " + Hex(reply));
            return false;
        }
        if (!expected.empty() && reply != expected) {
            Problem(mismatches, "sent " + Hex(request) + "got " + Hex(reply) + "expected " + Hex(expected));
        }
        if (replyOut) *replyOut = reply;
        return true;
    }

    SerialDevice device_;
    bool open_ = false;
    std::mt19937 random_;
};

// A change of a value, the controller type, a trouble code or the ROM version text.
void RandomChange(BenchRun& bench, SoakLink& link, ConsoleState& state) {
    struct Range {
        const char* name;
        double from, to;
    };
    // Ranges inside what every block's fields can carry.
    static const Range kRanges[] = {{"speed", 10, 250},   {"coolant", -40, 140},  {"rpm", 0, 8000},
                                    {"throttle", 0, 99},  {"idle-valve", 0, 100}, {"fuel-flow", 0, 40},
                                    {"air-flow", 0, 60},  {"voltage", 5.2, 17.9}, {"idle-rpm", 0, 2500},
                                    {"injection", 0, 100}};
    static const char* const kVariants[] = {"Ja5", "B1", "Ja7", "B7", "BMP", "b17"};
    static const char* const kRoms[] = {"V5V13J02", "J5V03J21", "I205DM52", "B104CD21", "M7V03N02", "B404CD21"};
    QByteArray line;
    switch (link.Pick(4)) {
    case 0: {
        const int v = link.Pick(6);
        state.variant = static_cast<EcuVariant>(v);
        state.rom = kRoms[v];
        line = QByteArray("variant ") + kVariants[v];
        break;
    }
    case 1: {
        const int index = 1 + link.Pick(113);
        const bool on = state.ticked.insert(index).second;
        if (!on) state.ticked.erase(index);
        line = "dtc " + QByteArray::number(index) + (on ? " on" : " off");
        break;
    }
    case 2:
        state.rom.clear();
        for (int i = 0, n = 1 + link.Pick(16); i < n; ++i) state.rom += "ABCDEFGHJKLMNPRSTUVWXYZ0123456789"[link.Pick(33)];
        line = "ident 9A " + QByteArray::fromStdString(state.rom);
        break;
    default: {
        const Range& range = kRanges[link.Pick(10)];
        const double value = range.from + (range.to - range.from) * link.Pick(10001) / 10000.0;
        line = QByteArray("set ") + range.name + " " + QByteArray::number(value, 'f', 2);
        break;
    }
    }
    EXPECT_EQ(bench.Ask(line.constData()), "OK") << line.constData();
}

// The test command runs it for 20 s; VORTA_SOAK_SECONDS asks for a long run, VORTA_SOAK_SEED
// repeats the run a seed printed earlier belongs to.
TEST(SoakTest, MixedStreamInRandomChunksWhileTheConsoleChanges) {
    const int seconds = qEnvironmentVariableIsSet("VORTA_SOAK_SECONDS") ? qEnvironmentVariableIntValue("VORTA_SOAK_SECONDS") : 20;
    bool seedGiven = false;
    const std::uint32_t seed = qEnvironmentVariableIsSet("VORTA_SOAK_SEED")
                                   ? qEnvironmentVariable("VORTA_SOAK_SEED").toUInt(&seedGiven)
                                   : static_cast<std::uint32_t>(Clock::now().time_since_epoch().count());
    ASSERT_EQ(seedGiven, qEnvironmentVariableIsSet("VORTA_SOAK_SEED")) << "VORTA_SOAK_SEED is no number";
    // Printed before the run, so that a run that hangs or crashes can be repeated too.
    std::printf("soak %d s, seed %u (VORTA_SOAK_SEED=%u repeats it)\n", seconds, seed, seed);
    std::fflush(stdout);
    BenchRun bench;
    ASSERT_TRUE(bench.Started());
    SoakLink link(bench.TesterPort().toStdString(), seed);
    ASSERT_TRUE(link.Open());
    bench.Do({"click ignition"});
    ConsoleState state;
    int changes = 0;
    for (const auto end = Clock::now() + std::chrono::seconds(seconds); Clock::now() < end; ++changes) {
        if (changes > 0) RandomChange(bench, link, state);
        for (const char* name : kValues) {
            state.shown[name] = QLocale().toDouble(bench.Ask((QByteArray("get ") + name).constData()).mid(3));
        }
        // The window waits in its event loop, so each piece is read as it arrives.
        QEventLoop loop;
        std::thread side([&] {
            link.Batch(state, 12);
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        side.join();
    }
    std::printf("soak %d s, seed %u: %d exchanges in %d chunks, %d control changes; %d mismatches, "
                "%d lost, %d bad echoes, %d bad blocks; latency %s\n",
                seconds, seed, link.exchanges, link.chunks, changes, link.mismatches, link.lost,
                link.badEcho, link.badBlock, link.latency.Summary().c_str());
    // Every batch ran whole: the start, the live block and twelve mixed requests.
    EXPECT_GE(changes, 2);
    EXPECT_EQ(link.exchanges, changes * 14);
    EXPECT_EQ(link.mismatches + link.lost + link.badEcho + link.badBlock, 0) << link.problems;
    EXPECT_TRUE(bench.messages.isEmpty()) << bench.messages.join('\n').toStdString();
}

}  // namespace
