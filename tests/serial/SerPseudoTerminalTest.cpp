#include "serial/ErrorReport.h"
#include "serial/LinuxTermios.h"
#include "serial/PseudoTerminal.h"
#include "serial/TSerComm.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Catches what would reach the application's error report while a test runs.
class CapturedReports {
public:
    CapturedReports() {
        SetApplicationErrorReporter([this](const std::string& message) { messages.push_back(message); });
    }
    ~CapturedReports() { SetApplicationErrorReporter(nullptr); }
    std::vector<std::string> messages;  // written on the main thread only: reports come from hand-overs
};

// The K-line port as the console sets it up, on the slave side of a pseudo-terminal.
std::unique_ptr<TSerComm> LinkPort(const std::string& path) {
    auto port = std::make_unique<TSerComm>();
    port->SetDeviceName(path);
    port->SetUserBaudrate(10400);
    return port;
}

Bytes ReadAll(TSerCustomComm* port, int count) {
    Bytes bytes(static_cast<std::size_t>(count));
    bytes.resize(static_cast<std::size_t>(port->ReadBuf(bytes.data(), count)));
    return bytes;
}

TEST(SerPseudoTerminal, OpensRawAt10400AndTheDriverReportsThatRate) {
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    port->Open();
    TermiosImage applied;
    ASSERT_EQ(GetTermios2(far.Slave(), applied), 0);
    EXPECT_EQ(applied.ospeed, 10400u);
    EXPECT_EQ(applied.ispeed, 10400u);
    EXPECT_EQ(applied.cflag & CSIZE, static_cast<std::uint32_t>(CS8));
    EXPECT_EQ(applied.cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(applied.lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(applied.iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(applied.oflag & OPOST, 0u);
}

TEST(SerPseudoTerminal, SecondOpenerIsRefusedUntilTheFirstCloses) {
    PseudoTerminal far;
    auto first = LinkPort(far.SlavePath());
    auto second = LinkPort(far.SlavePath());
    first->Open();
    try {
        second->Open();
        FAIL() << "second opener accepted";
    } catch (const ESerCommError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Can't open specified device " + far.SlavePath() + " (Error 11, Resource temporarily unavailable)");
    }
    EXPECT_FALSE(second->IsOpen());
    first->Close();
    second->Open();
    EXPECT_TRUE(second->IsOpen());
}

TEST(SerPseudoTerminal, MissingDeviceIsNotFound) {
    auto port = LinkPort("/dev/ttyVortaMissing%d");
    port->SetPortNum(9);
    try {
        port->Open();
        FAIL() << "missing device opened";
    } catch (const ESerCommError& error) {
        EXPECT_STREQ(error.what(), "Specified device not found (/dev/ttyVortaMissing9).");
    }
}

TEST(SerPseudoTerminal, ReceivedBytesReachOnRxCharOnTheMainThread) {
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    std::vector<int> counts;
    Bytes received;
    bool onMainThread = true;
    port->SetOnRxChar([&](TSerCustomComm* sender, int count) {
        onMainThread = onMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        counts.push_back(count);
        const Bytes chunk = ReadAll(sender, count);
        received.insert(received.end(), chunk.begin(), chunk.end());
    });
    port->Open();
    far.Send({0x81, 0x10, 0xF1, 0x81, 0x03});  // StartCommunication to 0x10
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 5; }, 2000));
    EXPECT_TRUE(onMainThread);
    EXPECT_EQ(counts, std::vector<int>{5});
    EXPECT_EQ(received, (Bytes{0x81, 0x10, 0xF1, 0x81, 0x03}));
}

TEST(SerPseudoTerminal, BytesArrivingDuringAHandlerComeAsOneFurtherEvent) {
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    std::vector<int> counts;
    port->SetOnRxChar([&](TSerCustomComm* sender, int count) {
        counts.push_back(count);
        ReadAll(sender, count);
        if (counts.size() == 1) {
            far.Send({0x82});        // two more chunks while the handler still runs
            far.Send({0x10, 0xF1});
            for (int i = 0; i < 200 && sender->InQueueCount() < 3; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    port->Open();
    far.Send({0x3E});
    ASSERT_TRUE(QTest::qWaitFor([&] { return counts.size() >= 2; }, 2000));
    QTest::qWait(100);
    EXPECT_EQ(counts, (std::vector<int>{1, 3}));
}

TEST(SerPseudoTerminal, UnreadBytesAreNoNewsUntilMoreArrive) {
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    std::vector<int> counts;
    port->SetOnRxChar([&](TSerCustomComm*, int count) { counts.push_back(count); });  // reads nothing
    port->Open();
    far.Send({0x81, 0x10});
    ASSERT_TRUE(QTest::qWaitFor([&] { return counts.size() == 1; }, 2000));
    const double cpuBefore = ProcessCpuSeconds();
    QTest::qWait(300);
    EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.1);
    far.Send({0xF1});
    ASSERT_TRUE(QTest::qWaitFor([&] { return counts.size() == 2; }, 2000));
    EXPECT_EQ(counts, (std::vector<int>{2, 3}));
}

class RecordingDisplay : public TSerDisplay {
public:
    void DisplayEvents(TSerCustomComm*, std::uint32_t mask) override { masks.push_back(mask); }
    std::vector<std::uint32_t> masks;
};

class RecordingLink : public TSerLink {
public:
    void LinkRxBuf(TSerCustomComm*, const void* data, int count) override {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        received.insert(received.end(), bytes, bytes + count);
    }
    void LinkEvents(TSerCustomComm*, std::uint32_t) override {}
    Bytes received;
};

TEST(SerPseudoTerminal, LinkedConsumersTakeTheBytesInsteadOfOnRxChar) {
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    RecordingLink enabled, disabled;
    disabled.SetEnabled(false);
    Bytes viaRxBuf;
    int rxCharCalls = 0;
    port->SetOnRxChar([&](TSerCustomComm* sender, int count) { ++rxCharCalls; ReadAll(sender, count); });
    port->SetOnRxBuf([&](TSerCustomComm*, const void* data, int count) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        viaRxBuf.insert(viaRxBuf.end(), bytes, bytes + count);
    });
    RecordingDisplay display;
    port->SetDisplay(&display);
    port->AddLink(&enabled);
    port->AddLink(&disabled);
    port->Open();
    far.Send({0x81, 0x10, 0xF1, 0x81, 0x03});
    ASSERT_TRUE(QTest::qWaitFor([&] { return viaRxBuf.size() == 5; }, 2000));
    EXPECT_EQ(enabled.received, viaRxBuf);
    EXPECT_TRUE(disabled.received.empty());
    EXPECT_EQ(rxCharCalls, 0);
    EXPECT_EQ(display.masks, std::vector<std::uint32_t>{ceRxChar});
    port->RemoveLink(&enabled);
    port->RemoveLink(&disabled);
    far.Send({0x82});
    ASSERT_TRUE(QTest::qWaitFor([&] { return rxCharCalls == 1; }, 2000));
    EXPECT_EQ(viaRxBuf.size(), 5u);
}

TEST(SerPseudoTerminal, QueuedWriteReachesTheFarSideAndReportsAnEmptyQueue) {
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    int emptied = 0;
    port->SetOnTxEmpty([&](TSerCustomComm*) { ++emptied; });
    port->Open();
    const Bytes reply = {0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC4};  // positive StartCommunication reply
    EXPECT_EQ(port->WriteBuf(reply.data(), static_cast<int>(reply.size())), 7);
    EXPECT_EQ(far.Receive(7), reply);
    EXPECT_TRUE(QTest::qWaitFor([&] { return emptied == 1; }, 2000));
}

TEST(SerPseudoTerminal, FullOutputQueueGivesUpAfterTheWriteTimeout) {
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    port->Buffers().SetWriteSize(16);
    port->Buffers().SetWriteTimeout(200);
    port->FlowControl().SetXonXoffOut(true);
    port->Open();
    const Bytes block(16, 0x55);
    try {
        const Bytes tooLong(17, 0x55);
        port->WriteBuf(tooLong.data(), 17);
        FAIL() << "a write longer than the queue was taken";
    } catch (const ESerCommError& error) {
        EXPECT_STREQ(error.what(), "Output buffer is full. Please check comm status.");
    }
    far.Send({0x13});  // XOFF: the line stops, the queue cannot drain
    QTest::qWait(50);
    EXPECT_EQ(port->WriteBuf(block.data(), 16), 16);
    EXPECT_THROW(port->WriteBuf(block.data(), 1), ESerCommError);
    far.Send({0x11});  // XON: the queued block goes out, and what follows comes after it
    const Bytes tail = {0xAA, 0xBB};
    EXPECT_EQ(port->WriteBuf(tail.data(), 2), 2);
    Bytes expected = block;
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(far.Receive(18), expected);
}

TEST(SerPseudoTerminal, HandlerErrorIsReportedAndLaterEventsStillArrive) {
    CapturedReports reports;
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    int calls = 0;
    port->SetOnRxChar([&](TSerCustomComm* sender, int count) {
        ReadAll(sender, count);
        if (++calls == 1) throw ESerCommError("Frame rejected");
    });
    port->Open();
    far.Send({0x81});
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 2000));
    far.Send({0x10});
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 2; }, 2000));
    EXPECT_EQ(reports.messages, std::vector<std::string>{"Frame rejected"});
}

TEST(SerPseudoTerminal, VanishedDeviceIsReportedOnceAndCostsNoCpu) {
    CapturedReports reports;
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    std::vector<int> errors;
    port->SetOnError([&](TSerCustomComm*, int flags) { errors.push_back(flags); });
    int events = 0;
    port->SetOnRxChar([&](TSerCustomComm* sender, int count) { ++events; ReadAll(sender, count); });
    port->Open();
    far.CloseSlave();
    far.CloseMaster();  // from now on the port's side polls readable, hung up, for ever
    const double cpuBefore = ProcessCpuSeconds();
    QTest::qWait(100);
    const Bytes reply = {0x7F, 0x21, 0x12};  // a reply that can no longer go out
    port->WriteBuf(reply.data(), 3);
    QTest::qWait(1900);
    const double cpuUsed = ProcessCpuSeconds() - cpuBefore;
    EXPECT_LT(cpuUsed, 0.25);
    EXPECT_EQ(errors, std::vector<int>{leIOError});
    EXPECT_EQ(events, 0);
    EXPECT_TRUE(reports.messages.empty());
    port->Close();
}

TEST(SerPseudoTerminal, CloseAndDestructionDoNotWaitForAPendingHandOver) {
    PseudoTerminal far;
    int calls = 0;
    for (bool destroy : {false, true}) {
        auto port = LinkPort(far.SlavePath());
        port->SetOnRxChar([&](TSerCustomComm*, int) { ++calls; });
        port->Open();
        far.Send({0x3E, 0x01});
        // The event thread now waits for this thread, which is busy elsewhere.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (destroy)
            port.reset();
        else
            port->Close();
        QTest::qWait(50);  // the called-off hand-over must not run the handler any more
    }
    EXPECT_EQ(calls, 0);
}

TEST(SerPseudoTerminal, PortDestroyedWhileItsHandlerWaitsInANestedLoop) {
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    bool handlerReturned = false;
    port->SetOnRxChar([&](TSerCustomComm*, int) {
        QTimer::singleShot(10, [&] { port.reset(); });  // the window closes meanwhile
        QTest::qWait(100);
        handlerReturned = true;
    });
    port->Open();
    far.Send({0x82});
    ASSERT_TRUE(QTest::qWaitFor([&] { return handlerReturned; }, 2000));
    EXPECT_EQ(port, nullptr);
}

TEST(SerPseudoTerminal, HandlerMayCloseThePort) {
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    int closed = 0;
    port->SetOnClose([&](TSerCustomComm*) { ++closed; });
    port->SetOnRxChar([&](TSerCustomComm* sender, int) { sender->Close(); });
    port->Open();
    far.Send({0x82});
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed == 1; }, 2000));
    EXPECT_FALSE(port->IsOpen());
    port->Open();  // and it opens again
    EXPECT_TRUE(port->IsOpen());
}

// Nice values of this process's threads.
std::vector<int> ThreadNiceValues() {
    std::vector<int> values;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream stat(task.path() / "stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 19 && fields >> field; ++i) {
            if (i == 19) values.push_back(std::stoi(field));
        }
    }
    return values;
}

TEST(SerPseudoTerminal, EventPriorityReachesTheRunningThread) {
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    port->Open();
    auto count = [](int nice) {
        const std::vector<int> values = ThreadNiceValues();
        return std::count(values.begin(), values.end(), nice);
    };
    const auto idleBefore = count(19);
    port->SetEventPriority(tpIdle);
    // The thread may still be starting; it takes the priority then.
    EXPECT_TRUE(QTest::qWaitFor([&] { return count(19) == idleBefore + 1; }, 2000));
}

TEST(SerPseudoTerminal, ReadTimesOutWithNothing) {
    PseudoTerminal far;
    auto port = LinkPort(far.SlavePath());
    port->Buffers().SetReadTimeout(30);
    port->Open();
    std::uint8_t byte = 0;
    EXPECT_EQ(port->ReadBuf(&byte, 1), 0);
}

TEST(SerPseudoTerminal, MasterServesTestersThatComeAndGo) {
    CapturedReports reports;
    TSerComm port;
    port.SetDeviceName("/dev/ptmx");
    port.SetUserBaudrate(10400);
    Bytes received;
    int errors = 0;
    port.SetOnError([&](TSerCustomComm*, int) { ++errors; });
    port.SetOnRxChar([&](TSerCustomComm* sender, int count) {
        const Bytes chunk = ReadAll(sender, count);
        received.insert(received.end(), chunk.begin(), chunk.end());
    });
    port.Open();
    const std::string path = port.PseudoTerminalPath();
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    for (std::uint8_t round = 1; round <= 3; ++round) {
        const int tester = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(tester, 0);
        PseudoTerminal::MakeRaw(tester);
        received.clear();
        PseudoTerminal::SendTo(tester, {0x81, 0x10, 0xF1, round});
        EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 4; }, 2000)) << int(round);
        EXPECT_EQ(received, (Bytes{0x81, 0x10, 0xF1, round}));
        const Bytes reply = {0x7F, 0x81, round};
        port.WriteBuf(reply.data(), 3);
        EXPECT_EQ(PseudoTerminal::ReceiveFrom(tester, 3, 2000), reply);
        ::close(tester);
        // Nobody holds the other side: the master hangs up, which is no fault and no spin.
        const double cpuBefore = ProcessCpuSeconds();
        QTest::qWait(500);
        EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.1);
    }
    EXPECT_EQ(errors, 0);
    EXPECT_TRUE(reports.messages.empty());
    TSerComm secondVirtualPort;  // each open of the multiplexer is a pair of its own
    secondVirtualPort.SetDeviceName("/dev/ptmx");
    secondVirtualPort.Open();
    EXPECT_NE(secondVirtualPort.PseudoTerminalPath(), path);
}

}  // namespace
