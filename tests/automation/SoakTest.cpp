#include <QEventLoop>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <poll.h>
#include <random>
#include <set>
#include <thread>

#include "support/BenchRun.h"
#include "support/PseudoTerminal.h"
#include "LatencyStats.h"
#include "protocol/LiveBlockDecoder.h"
#include "SerialDevice.h"
#include "common/HexText.h"
#include "protocol/KwpFrame.h"
#include "protocol/ObdReplyDecoder.h"

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
    bool realFraming = false;  // live blocks with the long header
    bool obd = true;           // every type answers OBD-II requests
};

// A reply as it should come: these bytes, or any whole frame (OBD values are checked apart),
// or any whole frame whose checksum is one more than its sum.
struct Expected {
    Bytes bytes;
    bool any = false;
    bool checksumUp = false;
};

// What the reply fault chosen over the control interface makes of the replies.
struct FaultModel {
    std::string mode = "none";
    int value = 0;
    int answered = 0;  // replies since "drop" was set

    // The frames that come for a reply from `from` to a request for `service` (none: silence).
    std::vector<Expected> Apply(const Expected& normal, std::uint8_t service, std::uint8_t from) {
        const auto negative = [&](std::uint8_t code) {
            const Bytes data = {0x7F, service, code};
            return Expected{BuildFrame(0xF1, from, data.data(), data.size(), FrameForm::Short)};
        };
        if (mode == "silent") return {};
        if (mode == "bad-checksum") {
            Expected altered = normal;
            if (altered.any) altered.checksumUp = true;
            else altered.bytes.back() = static_cast<std::uint8_t>(altered.bytes.back() + 1);
            return {altered};
        }
        if (mode == "pending") return {negative(0x78), normal};
        if (mode == "busy") {
            if (--value == 0) mode = "none";
            return {negative(0x21)};
        }
        if (mode == "drop" && ++answered % value == 0) return {};
        return {normal};  // none, delay, gap: the same bytes, later or in two pieces
    }
};

// The tester's side of the link, run on a thread of its own while the window serves the port:
// the virtual port's tester side, where the program echoes each request, or the master of an
// adapter the program opened by a link, where the K-line's own echo is played here.
class SoakLink {
public:
    explicit SoakLink(std::uint32_t seed) : random_(seed) {}
    bool OpenVirtual(const std::string& port) {
        std::string error;
        return device_.Open(port, 10400, &error);
    }
    void Plug(int adapterMaster) { adapter_ = adapterMaster; }
    void Unplug() { adapter_ = -1; }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    // The live block checked against the shown values (while no fault alters the replies), then
    // mixed requests to either address and OBD-II requests to all.
    void Batch(const ConsoleState& state, int count) {
        const std::uint8_t home = state.variant == EcuVariant::BMP ? 0x11 : 0x10;
        Bytes reply;
        Exchange(Request(home, {0x81}), {StartReply(state, home)}, 0x81, home);
        if (faults.mode == "none") {
            if (!Exchange(Request(home, {0x21, 0x01}), {{}, true}, 0x21, home, &reply)) return;
            const FrameView view = DecodeFrame(reply.data());
            block_.assign(view.data, view.data + view.length);
            CheckBlock(state, block_, reply);
        } else {
            Exchange(Request(home, {0x3E}), {Reply(home, {0x7E})}, 0x3E, home);
        }
        Bytes ident = {0x5A, 0x9A};
        ident.insert(ident.end(), state.rom.begin(), state.rom.end());
        for (int i = 0; i < count; ++i) {
            const std::uint8_t to = state.variant == EcuVariant::BMP                ? 0x11
                                    : state.variant == EcuVariant::B7 && Pick(2) ? 0x11
                                                                                 : 0x10;
            switch (Pick(5)) {
            case 0:
                // A live block known from this batch's start; under a fault it may have changed since.
                if (faults.mode == "none") {
                    const FrameForm form = state.realFraming ? FrameForm::Long : FrameForm::BySize;
                    Exchange(Request(to, {0x21, 0x01}), {Reply(to, block_, form)}, 0x21, to);
                    break;
                }
                [[fallthrough]];
            case 1: Exchange(Request(to, {0x3E}), {Reply(to, {0x7E})}, 0x3E, to); break;  // TesterPresent
            case 2: Exchange(Request(to, {0x1A, 0x9A}), {Reply(to, ident)}, 0x1A, to); break;  // ROM version
            case 3: Obd(state, home); break;
            default: Exchange(Request(to, {0x81}), {StartReply(state, to)}, 0x81, to); break;
            }
        }
    }

    FaultModel faults;
    int exchanges = 0, chunks = 0, mismatches = 0, lost = 0, badEcho = 0, badBlock = 0, obdAnswers = 0, faultsOn = 0, faulted = 0;
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

    // One OBD-II value by functional address, answered by the current type from its own address
    // and read back as the console shows it; no answer while OBD-II is off.
    void Obd(const ConsoleState& state, std::uint8_t home) {
        static const std::pair<std::uint8_t, const char*> kPids[] = {{0x0C, "rpm"}, {0x0D, "speed"}, {0x05, "coolant"}};
        const auto& [pid, shown] = kPids[Pick(3)];
        const std::uint8_t data[] = {0x01, pid};
        Bytes reply;
        const bool altered = faults.mode != "none";
        if (!Exchange(BuildFunctionalFrame(kObdFunctionalAddress, 0xF1, data, sizeof data), {{}, true}, 0x01, home,
                      &reply, state.obd) ||
            reply.empty() || altered) {
            return;
        }
        ++obdAnswers;
        const FrameView view = DecodeFrame(reply.data());
        const auto decoded = ObdReplyDecoder::Decode({Bytes(view.data, view.data + view.length)});
        const double expected = state.shown.at(shown);
        if (!decoded.error.empty() || decoded.items.size() != 1 ||
            std::abs(std::stod(decoded.items.front().value) - expected) > 1.0) {
            Problem(badBlock, std::string("OBD ") + shown + " shown " + std::to_string(expected) + " in " + Hex(reply));
        }
    }

    void Send(const std::uint8_t* bytes, std::size_t count) {
        std::string error;
        if (adapter_ < 0) {
            device_.Write(bytes, count, &error);
            return;
        }
        PseudoTerminal::SendTo(adapter_, Bytes(bytes, bytes + count));
        got_.insert(got_.end(), bytes, bytes + count);  // the line echoes as it carries
    }

    int Read(std::uint8_t* buffer, std::size_t capacity, int timeoutMs) {
        std::string error;
        if (adapter_ < 0) return device_.Read(buffer, capacity, timeoutMs, &error);
        pollfd ready{adapter_, POLLIN, 0};
        if (::poll(&ready, 1, timeoutMs) <= 0) return 0;
        return static_cast<int>(::read(adapter_, buffer, capacity));
    }

    // Bytes from the line until `n` are waiting, or the deadline.
    bool Gather(std::size_t n, Clock::time_point deadline, Clock::time_point sent) {
        while (got_.size() < n && Clock::now() < deadline) {
            std::uint8_t buffer[300];
            const int read = Read(buffer, sizeof buffer, 20);
            if (read < 0) return false;
            if (read > 0 && !replyStarted_) {
                replyStarted_ = true;
                latency.Add(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            }
            got_.insert(got_.end(), buffer, buffer + read);
        }
        return got_.size() >= n;
    }

    // Sends the request in random pieces, written one right after the other, and expects its
    // echo, then the frames the reply fault makes of the normal reply (none while `answered` is
    // false). The last frame read goes to *replyOut. No pause between the pieces: a pause
    // overslept on a loaded machine would pass the 40 ms after which a partial frame is dropped
    // (the splits at every moment are the reassembly test's, on a hand-driven clock).
    bool Exchange(const Bytes& request, const Expected& normal, std::uint8_t service, std::uint8_t from,
                  Bytes* replyOut = nullptr, bool answered = true) {
        ++exchanges;
        if (faults.mode != "none") ++faulted;
        for (std::size_t at = 0; at < request.size(); ++chunks) {
            const std::size_t piece = 1 + static_cast<std::size_t>(Pick(static_cast<int>(request.size() - at)));
            Send(request.data() + at, piece);
            at += piece;
        }
        const auto sent = Clock::now();
        // Bytes left from before stay: a reply that came too late shows as a wrong echo.
        if (!Gather(request.size(), sent + std::chrono::seconds(2), sent) ||
            !std::equal(request.begin(), request.end(), got_.begin())) {
            Problem(badEcho, "echo of " + Hex(request) + "came as " + Hex(got_));
            return false;
        }
        got_.erase(got_.begin(), got_.begin() + static_cast<std::ptrdiff_t>(request.size()));
        replyStarted_ = !got_.empty();
        const std::vector<Expected> frames = answered ? faults.Apply(normal, service, from) : std::vector<Expected>{};
        if (frames.empty()) {
            // Silence: nothing may come while a reply would have come long since.
            Gather(1, Clock::now() + std::chrono::milliseconds(kQuietMs), sent);
            if (!got_.empty()) Problem(mismatches, "sent " + Hex(request) + "under a silent fault got " + Hex(got_));
            if (replyOut) replyOut->clear();
            return got_.empty();
        }
        Bytes frame;
        for (const Expected& want : frames) {
            const auto deadline = Clock::now() + std::chrono::seconds(2);
            FrameSize size{FrameSize::Status::NeedMore, 1};
            while (size.status == FrameSize::Status::NeedMore && Gather(size.bytes, deadline, sent)) {
                size = ExpectedFrameSize(got_.data(), got_.size());
            }
            if (size.status != FrameSize::Status::Known || !Gather(size.bytes, deadline, sent)) {
                Problem(lost, "no reply to " + Hex(request) + "got " + Hex(got_));
                return false;
            }
            frame.assign(got_.begin(), got_.begin() + static_cast<std::ptrdiff_t>(size.bytes));
            got_.erase(got_.begin(), got_.begin() + static_cast<std::ptrdiff_t>(size.bytes));
            std::uint8_t sum = 0;
            for (std::size_t i = 0; i + 1 < frame.size(); ++i) sum = static_cast<std::uint8_t>(sum + frame[i]);
            const bool fits = want.any ? frame.back() == static_cast<std::uint8_t>(sum + (want.checksumUp ? 1 : 0))
                                       : frame == want.bytes;
            if (!fits) {
                Problem(mismatches, "sent " + Hex(request) + "under fault " + faults.mode + " got " + Hex(frame) +
                                        "expected " + (want.any ? std::string("any frame") : Hex(want.bytes)));
            }
        }
        if (replyOut) *replyOut = frame;
        return true;
    }

    static constexpr int kQuietMs = 150;
    Bytes got_;
    bool replyStarted_ = false;
    Bytes block_;
    SerialDevice device_;
    int adapter_ = -1;
    std::mt19937 random_;
};

// A reply fault switched on (with a value that keeps a batch short), or off again.
QByteArray FaultChange(SoakLink& link) {
    struct Choice {
        const char* mode;
        int from, to;  // the value's range; 0, 0: none
    };
    static const Choice kChoices[] = {{"silent", 0, 0}, {"bad-checksum", 0, 0}, {"delay", 0, 150},
                                      {"pending", 0, 150}, {"busy", 1, 5}, {"gap", 0, 50}, {"drop", 2, 5}};
    FaultModel& faults = link.faults;
    if (faults.mode != "none") {
        faults = FaultModel{};
        return "fault none";
    }
    const Choice& c = kChoices[link.Pick(static_cast<int>(std::size(kChoices)))];
    faults = FaultModel{c.mode, c.from + link.Pick(c.to - c.from + 1)};
    ++link.faultsOn;
    QByteArray line = QByteArray("fault ") + c.mode;
    if (c.to > 0) line += " " + QByteArray::number(faults.value);
    return line;
}

// A change of a value, the controller type, a trouble code, the ROM version text, the reply
// fault, timing or framing, or the OBD-II option.
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
    switch (link.Pick(10)) {
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
    case 3:
    case 4:
        line = FaultChange(link);
        break;
    case 5: {
        // Reply timing within what keeps a batch short; replies wait P2, bytes P1 apart.
        line = "timing " + QByteArray::number(link.Pick(41)) + " " + QByteArray::number(link.Pick(4));
        break;
    }
    case 6:
        state.realFraming = link.Pick(2) == 1;
        line = state.realFraming ? "framing real" : "framing compact";
        break;
    case 7:
        state.obd = !state.obd;
        line = state.obd ? "obd on" : "obd off";
        break;
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

// The adapter behind the soak's link: pulled out between two batches, one control change made
// while it is out, then plugged in again under another name behind the same link, as a USB
// adapter re-plugged comes back.
struct PluggedAdapter {
    QString link;
    std::unique_ptr<AdapterEnd> end = std::make_unique<AdapterEnd>();
    int replugs = 0;

    bool Relink() { return (!QFile::exists(link) || QFile::remove(link)) && QFile::link(QString::fromStdString(end->Path()), link); }

    void Replug(BenchRun& bench, SoakLink& soak, ConsoleState& state) {
        soak.Unplug();
        end.reset();
        ++replugs;
        ASSERT_TRUE(QTest::qWaitFor([&] { return PortNotes(bench, " lost: ") == replugs; }, 5000));
        RandomChange(bench, soak, state);
        end = std::make_unique<AdapterEnd>();
        ASSERT_TRUE(Relink());
        // The port is tried again about once a second.
        ASSERT_TRUE(QTest::qWaitFor([&] { return bench.Ask("get port").startsWith("OK open "); }, 10000));
        soak.Plug(end->Master());
    }

    static int PortNotes(const BenchRun& bench, const char* what) {
        return static_cast<int>(std::count_if(bench.messages.begin(), bench.messages.end(),
                                              [&](const QString& line) { return line.contains(QLatin1String(what)); }));
    }
};

// The test command runs it for 20 s, half on the virtual port and half on an adapter that is
// pulled out now and then; VORTA_SOAK_SECONDS asks for a long run, VORTA_SOAK_SEED repeats the
// run a seed printed earlier belongs to.
class SoakTest : public ::testing::TestWithParam<bool> {};

TEST_P(SoakTest, MixedStreamInRandomChunksWhileTheConsoleChanges) {
    const bool adapter = GetParam();
    const int seconds = (qEnvironmentVariableIsSet("VORTA_SOAK_SECONDS") ? qEnvironmentVariableIntValue("VORTA_SOAK_SECONDS") : 20) / 2;
    bool seedGiven = false;
    const std::uint32_t seed = qEnvironmentVariableIsSet("VORTA_SOAK_SEED")
                                   ? qEnvironmentVariable("VORTA_SOAK_SEED").toUInt(&seedGiven)
                                   : static_cast<std::uint32_t>(Clock::now().time_since_epoch().count());
    ASSERT_EQ(seedGiven, qEnvironmentVariableIsSet("VORTA_SOAK_SEED")) << "VORTA_SOAK_SEED is no number";
    // Printed before the run, so that a run that hangs or crashes can be repeated too.
    std::printf("soak %d s on %s, seed %u (VORTA_SOAK_SEED=%u repeats it)\n", seconds,
                adapter ? "an adapter" : "the virtual port", seed, seed);
    std::fflush(stdout);
    QTemporaryDir dir;
    PluggedAdapter plug{dir.filePath(QStringLiteral("adapter"))};
    ASSERT_TRUE(!adapter || plug.Relink());
    BenchRun bench(adapter ? plug.link : QString());
    ASSERT_TRUE(bench.Started());
    SoakLink link(seed);
    if (adapter) link.Plug(plug.end->Master());
    else ASSERT_TRUE(link.OpenVirtual(bench.TesterPort().toStdString()));
    bench.Do({"click ignition", "obd on"});
    ConsoleState state;
    int changes = 0;
    const auto start = Clock::now();
    for (const auto end = start + std::chrono::seconds(seconds); Clock::now() < end; ++changes) {
        // At least once a run, from halfway on.
        const bool replug = adapter && changes > 0 && (link.Pick(10) == 0 || (plug.replugs == 0 && Clock::now() > start + (end - start) / 2));
        if (replug) plug.Replug(bench, link, state);
        else if (changes > 0) RandomChange(bench, link, state);
        if (::testing::Test::HasFatalFailure()) return;
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
    std::printf("soak %d s, seed %u: %d exchanges in %d chunks, %d control changes (%d faults on, %d exchanges under "
                "one, %d adapters re-plugged), %d OBD-II answers; %d mismatches, %d lost, %d bad echoes, %d bad blocks; "
                "latency %s\n",
                seconds, seed, link.exchanges, link.chunks, changes, link.faultsOn, link.faulted, plug.replugs,
                link.obdAnswers, link.mismatches, link.lost, link.badEcho, link.badBlock, link.latency.Summary().c_str());
    // Every batch ran whole: the start, the live block and twelve mixed requests.
    EXPECT_GE(changes, 2);
    EXPECT_EQ(link.exchanges, changes * 14);
    EXPECT_EQ(link.mismatches + link.lost + link.badEcho + link.badBlock, 0) << link.problems;
    EXPECT_EQ(adapter, plug.replugs > 0);
    // Nothing said but each loss and each return of the port, once.
    EXPECT_EQ(PluggedAdapter::PortNotes(bench, " open again."), plug.replugs);
    EXPECT_EQ(bench.messages.size(), 2 * plug.replugs) << bench.messages.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Port, SoakTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Adapter" : "VirtualPort"; });

}  // namespace
