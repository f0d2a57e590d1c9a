#include "serial/ESerCommError.h"
#include "support/MessageOf.h"
#include "common/ErrorReport.h"
#include "serial/LinuxTermios.h"
#include "support/PseudoTerminal.h"
#include "support/ThreadsAsleep.h"
#include "serial/PseudoTerminalHold.h"
#include "serial/TSerComm.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The kernel's "rate in c_ospeed" marker; the C library's termios.h does not name it.
constexpr std::uint32_t kOtherRate = 0010000;

bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 2000); }

// The K-line port as the console sets it up, on the other side of a pseudo-terminal; what
// reaches the application's error report is kept in reports.
class SerPty : public ::testing::Test {
protected:
    SerPty() {
        SetApplicationErrorReporter([this](const std::string& message) { reports.push_back(message); });
        port->SetDeviceName(far.SlavePath());
        port->SetUserBaudrate(10400);
    }
    ~SerPty() override { SetApplicationErrorReporter(nullptr); }

    // OnRxChar that reads what it is told of, then does more (given the call's number).
    void Collect(const std::function<void(TSerCustomComm*, std::size_t)>& more = {}) {
        port->SetOnRxChar([this, more](TSerCustomComm* sender, int count) {
            onMainThread = onMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
            counts.push_back(count);
            Bytes chunk(static_cast<std::size_t>(count));
            chunk.resize(static_cast<std::size_t>(sender->ReadBuf(chunk.data(), count)));
            received.insert(received.end(), chunk.begin(), chunk.end());
            if (more) more(sender, counts.size());
        });
    }

    PseudoTerminal far;
    std::vector<std::string> reports;  // main thread only: reports come from hand-overs
    std::vector<int> counts;
    Bytes received;
    bool onMainThread = true;
    std::unique_ptr<TSerComm> port = std::make_unique<TSerComm>();  // goes first, before what it fills
};

// Without received characters watched nobody reads ahead: a read waits out its time-out, and
// the read itself is the arrival.
TEST_F(SerPty, OpensRawAt10400AndWithoutAnEventThreadReadsDirectly) {
    port->SetMonitorEvents(ceError);
    port->Buffers().SetReadTimeout(30);
    port->Open();
    TermiosImage applied;
    ASSERT_EQ(GetTermios2(far.Slave(), applied), 0);
    EXPECT_EQ(applied.ospeed, 10400u);
    EXPECT_EQ(applied.ispeed, 10400u);
    EXPECT_EQ(applied.cflag, kOtherRate | CS8 | CREAD | CLOCAL);  // 8N1, no handshake
    EXPECT_EQ(applied.iflag | applied.oflag | applied.lflag, 0u);  // no echo, editing, signals or rewriting
    EXPECT_EQ(applied.cc[VMIN], 1);
    EXPECT_EQ(applied.cc[VTIME], 0);
    std::uint8_t byte = 0;
    EXPECT_EQ(port->ReadBuf(&byte, 1), 0);  // nothing within the read time-out
    far.Send({0x3E});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto before = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point arrival;
    EXPECT_EQ(port->ReadChunk(&byte, 1, arrival), 1);
    EXPECT_EQ(byte, 0x3E);
    EXPECT_GE(arrival, before);
}

TEST_F(SerPty, SecondOpenerIsRefusedUntilTheFirstCloses) {
    TSerComm second;
    second.SetDeviceName(far.SlavePath());
    port->Open();
    EXPECT_EQ(MessageOf<ESerCommError>([&] { second.Open(); }),
              "Can't open specified device " + far.SlavePath() + " (Error 11, Resource temporarily unavailable)");
    EXPECT_FALSE(second.IsOpen());
    port->Close();
    second.Open();
    EXPECT_TRUE(second.IsOpen());
}

// As the emulator's handler does with a frame it rejects while more bytes come in.
TEST_F(SerPty, ThrowingHandlerIsReportedAndBytesArrivingMeanwhileComeAsOneFurtherEvent) {
    Collect([&](TSerCustomComm* sender, std::size_t call) {
        if (call != 1) return;
        far.Send({0x3E});  // two more chunks while the handler still runs
        far.Send({0x10, 0xF1});
        for (int i = 0; i < 200 && sender->InQueueCount() < 3; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        throw ESerCommError("Frame rejected");
    });
    port->Open();
    far.Send({0x81, 0x10, 0xF1, 0x81, 0x03});  // StartCommunication to 0x10
    ASSERT_TRUE(WaitFor([&] { return counts.size() >= 2; }));
    ASSERT_TRUE(OtherThreadsSettle());  // the event thread has nothing more to hand over
    EXPECT_TRUE(onMainThread);
    EXPECT_EQ(counts, (std::vector<int>{5, 3}));
    EXPECT_EQ(received, (Bytes{0x81, 0x10, 0xF1, 0x81, 0x03, 0x3E, 0x10, 0xF1}));
    EXPECT_EQ(reports, std::vector<std::string>{"Frame rejected"});
}

// The first event's bytes are left unread while the second piece comes: they bring no second
// event by themselves, and the event thread had read them before the second piece was sent.
TEST_F(SerPty, UnreadBytesAreNoNewsAndEachChunkKeepsTheTimeItArrived) {
    using Clock = std::chrono::steady_clock;
    std::vector<Clock::time_point> stamps;
    port->SetOnRxChar([&](TSerCustomComm* sender, int count) {
        counts.push_back(count);
        std::uint8_t bytes[8];
        Clock::time_point arrival;
        int got = 0;
        while (counts.size() == 2 && count > 0 && (got = sender->ReadChunk(bytes, 8, arrival)) > 0) {
            count -= got;
            stamps.push_back(arrival);
        }
    });
    port->Open();
    const Clock::time_point firstSent = Clock::now();
    far.Send({0x81, 0x10});
    ASSERT_TRUE(WaitFor([&] { return counts.size() == 1; }));
    EXPECT_TRUE(OtherThreadsSettle()) << "the unread bytes keep the event thread busy";
    EXPECT_EQ(counts.size(), 1u);
    const Clock::time_point secondSent = Clock::now();
    far.Send({0xF1, 0x3E, 0xC0});
    ASSERT_TRUE(WaitFor([&] { return counts.size() == 2; }));
    EXPECT_EQ(counts, (std::vector<int>{2, 5}));
    ASSERT_EQ(stamps.size(), 2u);  // never two arrivals in one read
    EXPECT_GE(stamps[0], firstSent);
    EXPECT_LT(stamps[0], secondSent);
    EXPECT_GE(stamps[1], secondSent);
}

TEST_F(SerPty, QueuedWritesReachTheFarSideAndAFullQueueGivesUpAfterTheWriteTimeout) {
    int emptied = 0;
    port->SetOnTxEmpty([&](TSerCustomComm*) { ++emptied; });
    port->Buffers().SetWriteSize(16);
    port->Buffers().SetWriteTimeout(200);
    port->FlowControl().SetXonXoffOut(true);
    port->Open();
    const Bytes reply = {0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC4};  // positive StartCommunication reply
    EXPECT_EQ(port->WriteBuf(reply.data(), 7), 7);
    EXPECT_EQ(far.Receive(7), reply);
    EXPECT_TRUE(WaitFor([&] { return emptied == 1; }));
    const Bytes block(17, 0x55);
    const std::string full = "Output buffer is full. Please check comm status.";
    EXPECT_EQ(MessageOf<ESerCommError>([&] { port->WriteBuf(block.data(), 17); }), full);  // longer than the queue
    far.WatchOutputStops(true);
    far.Send({0x13});  // XOFF: the line stops, the queue cannot drain
    ASSERT_TRUE(far.OutputStopped(2000));
    far.WatchOutputStops(false);
    EXPECT_EQ(port->WriteBuf(block.data(), 16), 16);
    EXPECT_EQ(MessageOf<ESerCommError>([&] { port->WriteBuf(block.data(), 1); }), full);
    far.Send({0x11});  // XON: the queued block goes out, and what follows comes after it
    EXPECT_EQ(port->WriteBuf(reply.data(), 2), 2);
    Bytes expected(block.begin(), block.end() - 1);
    expected.insert(expected.end(), reply.begin(), reply.begin() + 2);
    EXPECT_EQ(far.Receive(18), expected);
}

TEST_F(SerPty, VanishedDeviceIsReportedOnceAndCostsNoCpu) {
    std::vector<int> errors;
    port->SetOnError([&](TSerCustomComm*, int flags) { errors.push_back(flags); });
    Collect();
    port->Open();
    far.CloseSlave();
    far.CloseMaster();  // from now on the port's side polls readable, hung up, for ever
    ASSERT_TRUE(WaitFor([&] { return !errors.empty(); }));
    const Bytes reply = {0x7F, 0x21, 0x12};  // a reply that can no longer go out
    port->WriteBuf(reply.data(), 3);
    EXPECT_TRUE(OtherThreadsSettle()) << "the port spins on its vanished device";
    EXPECT_EQ(errors, std::vector<int>{leIOError});
    EXPECT_TRUE(counts.empty());
    EXPECT_TRUE(reports.empty());
}

TEST_F(SerPty, CloseAndDestructionNeverHangOnAHandOverAndThePortOpensAgain) {
    using Step = std::function<void()>;
    // The event thread waits for this thread, which is busy elsewhere, then goes away.
    const auto busy = [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); };
    // handled: OnRxChar calls; a called-off hand-over never runs
    struct Row { const char* what; Step inHandler, afterSend; std::size_t handled; } rows[] = {
        {"Close while a hand-over waits", {}, [&] { busy(); port->Close(); }, 0},
        {"destruction while a hand-over waits", {}, [&] { busy(); port.reset(); }, 0},
        {"handler closes its port", [&] { port->Close(); }, {}, 1},
        {"port destroyed while its handler waits in a nested loop", [&] {
             QTimer::singleShot(10, [&] { port.reset(); });  // the window closes meanwhile
             EXPECT_TRUE(QTest::qWaitFor([&] { return !port; }, 2000)); }, {}, 1},
    };
    for (const Row& row : rows) {
        counts.clear();
        port = std::make_unique<TSerComm>();
        port->SetDeviceName(far.SlavePath());
        Collect([&](TSerCustomComm*, std::size_t) { if (row.inHandler) row.inHandler(); });
        port->Open();
        far.Send({0x3E, 0x01});
        if (row.afterSend) row.afterSend();
        ASSERT_TRUE(WaitFor([&] { return counts.size() >= row.handled && (!port || !port->IsOpen()); })) << row.what;
        ASSERT_TRUE(OtherThreadsSettle()) << row.what;
        EXPECT_EQ(counts.size(), row.handled) << row.what;
        if (port) port->Open();
        EXPECT_TRUE(!port || port->IsOpen()) << row.what;
    }
}

// Each kline-tester run of the program's scenarios is a tester that comes and goes on this
// master; here its leaving, which hangs the master up, is no fault and no spin.
TEST_F(SerPty, MasterHangUpWhenTheTesterLeavesIsNoFaultAndNoSpin) {
    port->SetDeviceName("/dev/ptmx");
    std::vector<int> errors;
    port->SetOnError([&](TSerCustomComm*, int flags) { errors.push_back(flags); });
    Collect();
    port->Open();
    ASSERT_EQ(port->PseudoTerminalPath().rfind("/dev/pts/", 0), 0u) << port->PseudoTerminalPath();
    const int tester = ::open(port->PseudoTerminalPath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(tester, 0);
    PseudoTerminal::MakeRaw(tester);
    PseudoTerminal::SendTo(tester, {0x81, 0x10, 0xF1});
    EXPECT_TRUE(WaitFor([&] { return received.size() == 3; }));
    ::close(tester);
    EXPECT_TRUE(OtherThreadsSettle());
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(reports.empty());
}

}  // namespace

// A held side that stays cooked would echo replies back into the link: refused, with why.
TEST(PseudoTerminalHoldTest, HeldSideThatCannotBeMadeRawIsRefused) {
    PseudoTerminal pty;
    QString error;
    EXPECT_TRUE(PseudoTerminalHold().Hold(QString::fromStdString(pty.SlavePath()), &error)) << error.toStdString();
    EXPECT_FALSE(PseudoTerminalHold().Hold(QStringLiteral("/dev/null"), &error));
    EXPECT_TRUE(error.startsWith(QLatin1String("cannot switch /dev/null to raw bytes ("))) << error.toStdString();
}
