#include <fstream>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <unistd.h>
#include <string>
#include <tuple>
#include <vector>

#include "monitor/DeviceReport.h"
#include "monitor/LinkMonitor.h"
#include "monitor/MonitorText.h"
#include "monitor/MonitorTraceFile.h"
#include "protocol/Iso9141Frame.h"
#include "support/EmulatorHarness.h"
#include "protocol/KwpFrame.h"

namespace {

using std::chrono::milliseconds;

Bytes Frame(std::uint8_t target, const Bytes& data) {
    return BuildFrame(target, 0xF1, data.data(), data.size(), FrameForm::Short);
}

// A scripted tester against the emulator on a hand-driven clock, the monitor watching:
// every byte its own chunk `byteGapMs` apart, the next request `p3Ms` after each reply.
struct ScriptedTester {
    explicit ScriptedTester(EcuVariant variant = EcuVariant::Ja5) : h(variant) {
        h.emulator.SetLinkObserver(&monitor);
        monitor.SetVariantSource([this] { return h.env.variant; });
    }

    void WakeUp(int afterMs) { Send({0x00}, afterMs, 0); }

    // Sends one request byte by byte and hands the monitor the replies as they are written.
    void Send(const Bytes& frame, int afterMs, int byteGapMs) {
        for (std::size_t i = 0; i < frame.size(); ++i) {
            h.Chunk({frame[i]}, i == 0 ? afterMs : byteGapMs);
            for (const Bytes& reply : h.Replies()) {
                monitor.FrameSent(reply.data(), reply.size(), h.now);
            }
        }
    }

    EmulatorHarness h;
    LinkMonitor monitor;
};

double Ms(const DeviceReport::Figure& f) {
    return f.ms.value_or(-1);
}

// P3 and the byte gaps a tester keeps, and how both are graded; the longest silence is the
// tester's pause, as a reply goes out as its request completes.
TEST(MonitorReportTest, ScriptedTesterWithKnownTiming) {
    using M = DeviceReport::Mark;
    const std::tuple<int, int, bool, M> cases[] = {  // P3, byte gap, woken up first, mark
        {30, 4, true, M::Outside}, {60, 10, true, M::Within}, {5001, 21, false, M::Outside}};
    for (const auto& [p3Ms, byteGapMs, wakeUp, mark] : cases) {
        SCOPED_TRACE("P3 " + std::to_string(p3Ms) + " ms, byte gaps " + std::to_string(byteGapMs) + " ms");
        ScriptedTester t;
        if (wakeUp) t.WakeUp(100);
        t.Send(Frame(0x10, {0x81}), 50, byteGapMs);
        for (int i = 0; i < 4; ++i) t.Send(Frame(0x10, {0x21, 0x01}), p3Ms, byteGapMs);
        t.Send(Frame(0x10, {0x3E}), p3Ms, byteGapMs);
        const auto f = t.monitor.Report().Compute();
        EXPECT_DOUBLE_EQ(Ms(f.p3Min), p3Ms);
        EXPECT_NEAR(Ms(f.p3Median), p3Ms, p3Ms > 100 ? 0.5 : 0.006);  // the middle of its 10 µs step
        EXPECT_DOUBLE_EQ(Ms(f.p4Min), byteGapMs);
        EXPECT_DOUBLE_EQ(Ms(f.p4Max), byteGapMs);
        for (const auto* figure : {&f.p3Min, &f.p3Median, &f.p4Min, &f.p4Max}) EXPECT_EQ(figure->mark, mark);
        EXPECT_DOUBLE_EQ(Ms(f.longestSilence), p3Ms);
        EXPECT_EQ(f.longestSilence.mark, p3Ms > 5000 ? M::Outside : M::Within);
        EXPECT_EQ(f.starts, 1);
        EXPECT_EQ(f.startsAfterWakeUp, wakeUp ? 1 : 0);
        EXPECT_EQ(f.requests.at("21 01"), 4);
        EXPECT_EQ(f.requests.at("3E"), 1);
        EXPECT_EQ(f.replies, 6);
    }
}

// P4 is graded over the gaps between the pieces a request was read in; the requests read in one
// piece are counted beside it, and make "written at once" only at nine in ten or more.
TEST(MonitorReportTest, P4IsGradedOverTheGapsBetweenPieces) {
    using M = DeviceReport::Mark;
    // what, requests, those in one piece, whether one byte-by-byte request had its first three
    // bytes read in one piece, P4's least and its mark
    const std::tuple<const char*, int, int, bool, double, M> cases[] = {
        {"byte by byte 1 ms apart, one late read", 40, 0, true, 1.0, M::Outside},
        {"8 of 10 in one piece: the rest graded", 10, 8, false, 1.0, M::Outside},
        {"9 of 10 in one piece", 10, 9, false, 1.0, M::WrittenAtOnce},
        {"all in one piece", 10, 10, false, 0.0, M::WrittenAtOnce},
    };
    const Bytes request = Frame(0x10, {0x3E});
    for (const auto& [what, requests, whole, lateRead, p4Min, mark] : cases) {
        SCOPED_TRACE(what);
        ScriptedTester t;
        for (int i = 0; i < requests; ++i) {
            if (i < whole) {
                t.h.Chunk(request, 60);
                continue;
            }
            const std::size_t merged = lateRead && i == requests / 2 ? 3 : 1;
            t.h.Chunk(Bytes(request.begin(), request.begin() + static_cast<std::ptrdiff_t>(merged)), 60);
            for (std::size_t b = merged; b < request.size(); ++b) t.h.Chunk({request[b]}, 1);
        }
        const auto f = t.monitor.Report().Compute();
        EXPECT_EQ(f.requestsInOnePiece, whole);
        EXPECT_EQ(f.requestsInPieces, requests - whole);
        EXPECT_DOUBLE_EQ(Ms(f.p4Min), p4Min);
        EXPECT_EQ(f.p4Min.mark, mark);
    }
    EXPECT_EQ(std::string(DeviceReport::MarkName(M::WrittenAtOnce)), "outside: request written at once");
}

// Each reason a request goes unanswered, and the counts beside it.
TEST(MonitorReportTest, UnansweredRequestsByReason) {
    using R = UnansweredReason;
    using V = EcuVariant;
    const Bytes tp10 = Frame(0x10, {0x3E});
    Bytes badSum = tp10;
    badSum.back() ^= 0x55;
    Bytes badNoService = Frame(0x10, {0x22});
    badNoService.back() ^= 0x55;
    // what, type, started, ignition on, the request, its reason, other addresses, bad checksums
    const std::tuple<const char*, V, bool, bool, Bytes, R, int, int> cases[] = {
        {"ignition off", V::Ja5, true, false, tp10, R::IgnitionOff, 0, 0},
        {"functional, ignition off", V::B7, true, false, {0xC1, 0x33, 0xF1, 0x3E, 0x23}, R::IgnitionOff, 0, 0},
        {"another address", V::Ja5, true, true, Frame(0x11, {0x3E}), R::OtherAddress, 1, 0},
        {"BMP at 0x10", V::BMP, false, true, Frame(0x10, {0x81}), R::OtherAddress, 1, 0},
        {"not started", V::Ja5, false, true, tp10, R::NotStarted, 0, 0},
        {"no service", V::Ja5, true, true, Frame(0x10, {0x21, 0x09}), R::NoService, 0, 0},
        {"no service, bad checksum as well", V::Ja5, true, true, badNoService, R::NoService, 0, 1},
    };
    for (const auto& [what, variant, start, ignition, chunk, reason, otherAddresses, badChecksums] : cases) {
        ScriptedTester t(variant);
        if (start) t.h.Start();
        t.h.env.ignition = ignition;
        t.h.Chunk(chunk, 100);
        const auto f = t.monitor.Report().Compute();
        ASSERT_EQ(f.unanswered.size(), 1u) << what;
        EXPECT_EQ(f.unanswered.begin()->first, reason) << what;
        EXPECT_EQ(f.unanswered.begin()->second, 1) << what;
        EXPECT_EQ(f.otherAddresses, otherAddresses) << what;
        EXPECT_EQ(f.badChecksums, badChecksums) << what;
        int requests = 0;
        for (const auto& entry : f.requests) requests += entry.second;
        EXPECT_EQ(requests, start ? 2 : 1) << what;  // StartCommunication is one
        const MonitorRing& ring = t.monitor.Ring();
        const MonitorRow& last = ring.At(ring.NextNumber() - 1);
        EXPECT_EQ(last.event, LinkEvent::Unanswered) << what;
        EXPECT_TRUE(last.IsProblem()) << what;
    }
    // A fault mode withholds an answer the emulator gave.
    LinkMonitor monitor;
    const FrameArrival at{};
    monitor.RequestReceived(tp10.data(), tp10.size(), at);
    monitor.ReplyWithheld(at.first);
    EXPECT_EQ(monitor.Report().Compute().unanswered.at(UnansweredReason::FaultMode), 1);
    // A bad checksum is answered, and counted with a row of its own.
    ScriptedTester t;
    t.h.Start();
    t.h.Chunk(badSum, 100);
    EXPECT_EQ(t.monitor.Report().Compute().badChecksums, 1);
    EXPECT_EQ(t.monitor.Ring().At(t.monitor.Ring().NextNumber() - 1).event, LinkEvent::BadChecksum);
    EXPECT_TRUE(t.monitor.Report().Compute().unanswered.empty());
}

// Requests held behind a waiting reply: at most 16, the rest dropped as "reply queue full";
// each unanswered row at its own request's time, also when its answer comes later.
TEST(MonitorReportTest, HeldRequestsAreBoundedAndAnsweredAtTheirOwnTime) {
    ScriptedTester t;
    t.h.Start();
    t.h.env.replyWaiting = true;
    t.h.Chunk(Frame(0x10, {0x21, 0x09}), 100);  // held first; nothing serves it
    const std::int64_t unservedAt = t.monitor.Ring().At(t.monitor.Ring().NextNumber() - 1).atUs;
    for (int i = 0; i < 17; ++i) t.h.Chunk(Frame(0x10, {0x3E}), 3);
    EXPECT_EQ(t.h.emulator.HeldRequests(), EcuEmulator::kMostHeldRequests);
    const MonitorRing& ring = t.monitor.Ring();
    std::vector<std::int64_t> requestAt;
    for (std::uint64_t n = ring.FirstNumber(); n < ring.NextNumber(); ++n) {
        const MonitorRow& row = ring.At(n);
        if (row.kind == MonitorRowKind::Request) requestAt.push_back(row.atUs);
        if (row.event == LinkEvent::Unanswered) {
            EXPECT_EQ(row.reason, UnansweredReason::QueueFull);
            EXPECT_EQ(row.atUs, requestAt.back());  // the dropped one's own
        }
    }
    const auto f = t.monitor.Report().Compute();
    EXPECT_EQ(f.unanswered.at(UnansweredReason::QueueFull), 2);
    EXPECT_NE(t.monitor.Report().Json().find("\"reply queue full\":2"), std::string::npos);

    t.h.env.replyWaiting = false;
    t.h.emulator.ReplyGone();
    EXPECT_EQ(t.h.Replies().size(), 15u);  // the 15 TesterPresent held behind the unserved one
    const MonitorRow& unserved = ring.At(ring.NextNumber() - 1);
    ASSERT_EQ(unserved.event, LinkEvent::Unanswered);
    EXPECT_EQ(unserved.reason, UnansweredReason::NoService);
    EXPECT_EQ(unserved.atUs, unservedAt);
}

// A report cleared starts afresh: the program scenario's report on the tester shows it.
TEST(MonitorReportTest, StartAndIgnoredBytes) {
    ScriptedTester t;
    t.Send(Frame(0x10, {0x3E}), 10, 0);  // before StartCommunication
    t.h.Chunk({0x05, 0x06}, 100);         // no format byte
    t.Send({0x81, 0x10}, 100, 0);         // dropped after 40 ms
    t.WakeUp(60);
    t.Send(Frame(0x10, {0x81}), 50, 0);
    const auto f = t.monitor.Report().Compute();
    EXPECT_EQ(f.requestsBeforeStart, 1);
    EXPECT_EQ(f.starts, 1);
    EXPECT_EQ(f.startsAfterWakeUp, 1);
    EXPECT_EQ(f.malformedHeaders, 1);
    EXPECT_EQ(f.partialFramesDropped, 1);
    EXPECT_EQ(f.wakeUps, 1);
}

TEST(MonitorReportTest, RingKeepsTheNewestRows) {
    MonitorRing ring(3);
    for (int i = 0; i < 5; ++i) {
        MonitorRow row;
        row.atUs = i;
        ring.Append(row);
    }
    EXPECT_EQ(ring.Size(), 3u);
    EXPECT_EQ(ring.FirstNumber(), 2u);
    for (std::uint64_t n = 2; n < 5; ++n) EXPECT_EQ(ring.At(n).atUs, static_cast<std::int64_t>(n));
    ring.Clear();
    EXPECT_EQ(ring.Size(), 0u);
    EXPECT_GE(ring.FirstNumber(), 5u);  // rows seen before the clear never come back
    MonitorRow row;
    row.atUs = 42;
    ring.Append(row);
    EXPECT_EQ(ring.At(ring.FirstNumber()).atUs, 42);
}

TEST(MonitorReportTest, TraceLinesReadBackAsTheSameRows) {
    ScriptedTester t(EcuVariant::B7);
    t.WakeUp(10);
    t.Send(Frame(0x10, {0x81}), 30, 5);
    t.Send(Frame(0x10, {0x21, 0x01}), 60, 0);
    t.Send(Frame(0x11, {0x21, 0x09}), 60, 0);
    t.monitor.EchoSent(Bytes{0x81}.data(), 1, t.h.now);
    t.monitor.PortLost(t.h.now);
    t.monitor.PortBack(t.h.now);
    t.monitor.RequestUnanswered(UnansweredReason::QueueFull);
    t.monitor.FrameRefused(Bytes{0x7E}.data(), 1, t.h.now);
    const MonitorRing& ring = t.monitor.Ring();
    ASSERT_GT(ring.Size(), 6u);
    for (std::uint64_t n = ring.FirstNumber(); n < ring.NextNumber(); ++n) {
        const MonitorRow& row = ring.At(n);
        const std::string line = MonitorTraceFile::TextLine(row);
        const auto back = MonitorTraceFile::ParseTextLine(line, row.variant);
        ASSERT_TRUE(back.has_value()) << line;
        EXPECT_EQ(MonitorTraceFile::TextLine(*back), line);
    }
    const std::string bad[] = {"", "x RX 81", "12 QQ 81", "12 RX 8", "12 EV nothing", "12 EV unanswered why",
                               "12 RX 81 @ 1", "-1 RX 81", "99999999999999999999 RX 81", "12 RX 81 @ -1 0 0",
                               "12 RX 81 @ 5 -3 4", "12 RX 81 @ 5 3 -4", "12 RX 81 @ 3000000000 0 0"};
    for (const std::string& line : bad) EXPECT_FALSE(MonitorTraceFile::ParseTextLine(line, EcuVariant::Ja5)) << line;

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("monitor-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "t.trace").string();
    std::string error;
    ASSERT_TRUE(MonitorTraceFile::Save(path, ring, t.monitor.Report().Resolution(), MonitorTraceFile::Format::Text,
                                       &error))
        << error;
    LinkMonitor offline;
    std::vector<MonitorRow> rows;
    const MonitorTraceFile::RowSink sink{
        [&offline](const StampResolution& r) { offline.Report().SetResolution(r); },
        [&offline, &rows](MonitorRow&& row) {
            rows.push_back(row);
            offline.Add(std::move(row));
        }};
    const auto counts = MonitorTraceFile::Load(path, sink, &error);
    ASSERT_TRUE(counts) << error;
    ASSERT_EQ(rows.size(), ring.Size());
    EXPECT_EQ(counts->rows, ring.Size());
    EXPECT_EQ(counts->skippedLines, 0u);
    // Same rows, same report; the live block decodes for B7 again.
    EXPECT_EQ(offline.Report().Json(), t.monitor.Report().Json());
    EXPECT_EQ(rows[3].variant, EcuVariant::B7);
    EXPECT_FALSE(MonitorTraceFile::Load((dir / "none").string(), sink, &error));

    // Stamps far from the first row's make their line no row; the day's ends are still in.
    const std::string odd = (dir / "odd.trace").string();
    {
        std::ofstream out(odd);
        out << "# resolution usb-adapter 1e300\n"
               "100000000000 RX 81 10 F1 3E C0\n"
               "186400000000 TX 81 F1 10 7E 00\n"   // a day after the first
               "186400000001 RX 81 10 F1 3E C0\n"   // a microsecond beyond
               "13599999999 RX 81 10 F1 3E C0\n"    // more than a day before
               "9223372036854775807 RX 81 10 F1 3E C0\n";
    }
    LinkMonitor far;
    const auto farCounts = MonitorTraceFile::Load(
        odd, {[&far](const StampResolution& r) { far.Report().SetResolution(r); }, [&far](MonitorRow&& row) { far.Add(std::move(row)); }},
        &error);
    ASSERT_TRUE(farCounts) << error;
    EXPECT_EQ(farCounts->rows, 2u);
    EXPECT_EQ(farCounts->skippedLines, 3u);
    EXPECT_EQ(far.Report().Resolution().kind, "usb-adapter");
    std::filesystem::remove_all(dir);
}

// A slow init and an ISO 9141-2 request as the monitor shows them, the tester's W4 graded, and
// the rows read back from their trace lines.
TEST(MonitorReportTest, SlowInitRowsAndTheTestersW4) {
    ScriptedTester t(EcuVariant::B7);
    t.h.emulator.Obd().Set(EcuVariant::B7, true);
    t.h.emulator.SetObdProtocols(*ObdProtocols::Parse("iso9141"));
    // The slow bytes leave at their moments, as the pacer writes them.
    auto leave = [&] {
        for (const auto& [bytes, at] : t.h.env.timed) t.monitor.FrameSent(bytes.data(), bytes.size(), at);
        t.h.env.timed.clear();
    };
    t.h.Chunk({0x33}, 400);
    t.h.RunUntil(t.h.now + milliseconds(160));
    leave();
    t.Send({0xF7}, 0, 0);  // 160 ms after the address: 40 ms after the second key byte
    leave();
    t.Send(BuildIso9141Request(Bytes{0x01, 0x0D}.data(), 2), 100, 5);
    t.h.RunUntil(t.h.now + milliseconds(30));
    for (const Bytes& reply : t.h.Replies()) t.monitor.FrameSent(reply.data(), reply.size(), t.h.now);

    const MonitorRing& ring = t.monitor.Ring();
    std::vector<std::string> meanings;
    for (std::uint64_t n = ring.FirstNumber(); n < ring.NextNumber(); ++n) {
        const std::string line = MonitorTraceFile::TextLine(ring.At(n));
        const auto back = MonitorTraceFile::ParseTextLine(line, EcuVariant::B7);
        ASSERT_TRUE(back.has_value()) << line;
        EXPECT_EQ(MonitorTraceFile::TextLine(*back), line);
        meanings.push_back(MonitorText::Meaning(ring.At(n)).substr(0, 30));
    }
    EXPECT_EQ(meanings, (std::vector<std::string>{"адрес 5 бод 0x33", "sync 0x55", "key byte 0x08", "key byte 0x08",
                                                  "inverted key byte 2 0xF7", "inverted address 0xCC: link op",
                                                  "OBD ShowCurrentData PID 0D veh", "OBD ShowCurrentData positive P"}));
    const DeviceReport::Figures f = t.monitor.Report().Compute();
    EXPECT_EQ(f.slowInits, 1);
    EXPECT_EQ(Ms(f.w4Min), 40);
    EXPECT_EQ(f.w4Max.mark, DeviceReport::Mark::Within);
    EXPECT_EQ(f.requests.at("01 0D"), 1);
}

}  // namespace
