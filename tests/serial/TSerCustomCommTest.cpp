#include "serial/ESerCommError.h"
#include "support/MessageOf.h"
#include "serial/FakeSerDevice.h"
#include "serial/TSerComm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <tuple>

namespace {

struct FakePort {
    FakeSerRecord record;
    TSerComm port{std::make_unique<FakeSerDevice>(record)};
};

using PortChange = std::function<void(TSerComm&)>;

// An open port on COM1 (/dev/ttyS0) of the fake device.
std::unique_ptr<FakePort> OpenFakePort(const PortChange& beforeOpen = {}) {
    auto fake = std::make_unique<FakePort>();
    fake->port.SetDeviceName("COM1");
    if (beforeOpen) beforeOpen(fake->port);
    fake->port.Open();
    return fake;
}

TEST(TSerCustomComm, DevicePathFromNameAndNumber) {
    struct Row { const char *name; int portNum; const char *formatted, *path; } rows[] = {
        {"COM%d", 3, "COM3", "/dev/ttyS2"},
        {"COM1", 7, "COM1", "/dev/ttyS0"},
        {"COM0", 0, "COM0", "COM0"},  // COM numbers start at 1
        {"/dev/%s%d", 2, "/dev/%s2", "/dev/%s2"},  // only %d is a placeholder
        {"COM12x", 0, "COM12x", "COM12x"},
    };
    for (const Row& row : rows) {
        FakePort fake;
        fake.port.SetDeviceName(row.name);
        fake.port.SetPortNum(row.portNum);
        EXPECT_EQ(fake.port.FormattedDeviceName(), row.formatted) << row.name;
        EXPECT_EQ(fake.port.DevicePath(), row.path) << row.name;
    }
}

TEST(TSerCustomComm, OpenAndCloseRunTheirStepsInOrder) {
    auto fake = std::make_unique<FakePort>();
    TSerComm& port = fake->port;
    char bytes[4] = {};
    EXPECT_EQ(port.ReadBuf(bytes, 4), 0);  // closed: nothing reaches the device
    EXPECT_EQ(port.WriteBuf(bytes, 4), 0);
    EXPECT_EQ(port.InQueueCount(), 0);
    port.SetDeviceName("COM1");
    port.SetUserBaudrate(10400);
    int opened = 0, closed = 0;
    port.SetOnOpen([&](TSerCustomComm* sender) { opened += sender == &port; });
    port.SetOnClose([&](TSerCustomComm* sender) { closed += sender == &port; });
    port.Open();
    EXPECT_TRUE(port.IsOpen());
    port.Close();
    port.Close();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(fake->record.calls, (std::vector<std::string>{
        "Open /dev/ttyS0", "KeepLineState", "WriteLineSettings", "SetupQueues 4096 2048", "SetReadInterval 5",
        "SetEventMask 129",  // 0x81: error and received character; the write thread reports tx-empty
        "Close"}));
    ASSERT_EQ(fake->record.settingsWritten.size(), 1u);
    EXPECT_EQ(fake->record.settingsWritten[0], port.LineSettings());
    EXPECT_EQ(fake->record.settingsWritten[0].BaudRate, 10400u);
    fake.reset();  // destruction closes without OnClose
    EXPECT_EQ(closed, 1);
}

TEST(TSerCustomComm, LineSettingsRecordFollowsTheProperties) {
    struct Row { const char* what; PortChange set; TSerLineSettings record; } rows[] = {
        // rate, flags, Xon and Xoff limits, size, parity, stop bits; Xon, Xoff, error, EOF, event characters
        {"defaults", [](TSerComm&) {}, {1200, 0x1, 1024, 1024, 8, 0, 0, 0x11, 0x13, 0, 0, 0}},
        {"br115200", [](TSerComm& p) { p.SetBaudrate(br115200); },
         {115200, 0x1, 1024, 1024, 8, 0, 0, 0x11, 0x13, 0, 0, 0}},
        {"br9600 clears the user rate",
         [](TSerComm& p) { p.SetUserBaudrate(10400); p.SetBaudrate(br9600); p.SetBaudrate(brUser); },
         {0, 0x1, 1024, 1024, 8, 0, 0, 0x11, 0x13, 0, 0, 0}},
        {"db5 paMark sb15", [](TSerComm& p) { p.SetDatabits(db5); p.SetParity(paMark); p.SetStopbits(sb15); },
         {1200, 0x1, 1024, 1024, 5, 3, 1, 0x11, 0x13, 0, 0, 0}},
        {"options", [](TSerComm& p) { p.SetOptions(coErrorChar | coNullStrip | coParityCheck); },
         {1200, 0x1 | 0x400 | 0x800 | 0x2, 1024, 1024, 8, 0, 0, 0x11, 0x13, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        FakePort fake;
        row.set(fake.port);
        EXPECT_TRUE(fake.port.LineSettings() == row.record) << row.what;
    }
}

// What may change only while the port is closed, in one line.
std::string ClosedOnlyValues(const TSerComm& p) {
    std::ostringstream values;
    values << p.IsOpen() << p.DeviceName() << ' ' << p.PortNum() << ' ' << p.MonitorEvents() << p.DirectWrite()
           << p.UpdateDCB() << ' ' << p.Buffers().ReadTimeout() << ' ' << p.Buffers().WriteSize();
    return values.str();
}

TEST(TSerCustomComm, ClosedOnlyPropertiesAreRefusedWhileOpenAndKeepTheirValue) {
    struct Row { const char* what; PortChange change; } rows[] = {
        {"DeviceName", [](TSerComm& p) { p.SetDeviceName("COM2"); }},
        {"PortNum", [](TSerComm& p) { p.SetPortNum(4); }},
        {"MonitorEvents", [](TSerComm& p) { p.SetMonitorEvents(ceBreak); }},
        {"Buffers value", [](TSerComm& p) { p.Buffers().SetReadTimeout(5); }},
        {"Open", [](TSerComm& p) { p.Open(); }},
    };
    for (const Row& row : rows) {
        auto fake = OpenFakePort();
        const std::string before = ClosedOnlyValues(fake->port);
        EXPECT_EQ(MessageOf<ESerCommError>([&] { row.change(fake->port); }),
                  "Can't perform this operation while port is open")
            << row.what;
        EXPECT_EQ(ClosedOnlyValues(fake->port), before) << row.what;
    }
}

TEST(TSerCustomComm, LineSettingsChangesReachTheOpenDeviceOnce) {
    // writes: line-settings records written, the one of Open included
    struct Row { const char* what; PortChange beforeOpen, change; std::size_t writes; } rows[] = {
        {"Parity", {}, [](TSerComm& p) { p.SetParity(paEven); }, 2},
        {"same Parity", {}, [](TSerComm& p) { p.SetParity(paNone); }, 1},
        {"same DTR control", {}, [](TSerComm& p) { p.FlowControl().SetControlDtr(dtrDisabled); }, 1},
        {"flow group assigned", {}, [](TSerComm& p) {
             TSerFlowControl f; f.SetXonXoffIn(true); f.SetOutCtsFlow(true); p.SetFlowControl(f); }, 2},
        {"UpdateDCB off", [](TSerComm& p) { p.SetUpdateDCB(false); }, [](TSerComm& p) { p.SetBaudrate(br19200); }, 0},
    };
    for (const Row& row : rows) {
        auto fake = OpenFakePort(row.beforeOpen);
        row.change(fake->port);
        EXPECT_EQ(fake->record.settingsWritten.size(), row.writes) << row.what;
    }
}

TEST(TSerCustomComm, FailedOpenStepsGiveTheirMessageAndLeaveThePortClosed) {
    struct Row { const char* operation; int code; const char* message; bool closesHandle; } rows[] = {
        {"Open", 2, "Specified device not found (COM9).", false},
        {"Open", 11, "Can't open specified device COM9 (Error 11, text of 11)", false},
        {"WriteLineSettings", 22, "Error writing dcb (22), text of 22", true},
        {"SetupQueues", 12, "Error initializing buffers (12), text of 12", true},
        {"SetEventMask", 5, " Error setting EventMask (5), text of 5", true},
    };
    for (const Row& row : rows) {
        FakePort fake;
        fake.port.SetPortNum(9);
        fake.record.failures[row.operation] = row.code;
        EXPECT_EQ(MessageOf<ESerCommError>([&] { fake.port.Open(); }), row.message) << row.operation;
        EXPECT_FALSE(fake.port.IsOpen());
        EXPECT_EQ(fake.record.calls.back() == "Close", row.closesHandle) << row.operation;
    }
}

// A record that went out is checked against the properties in the Open steps and the record table.
TEST(TSerCustomComm, RefusedLineSettingLeavesTheLineAsItRan) {
    // What another program left on the line before Open.
    const TSerLineSettings foreign{9600, 0x1, 1024, 1024, 7, 2, 0, 0x11, 0x13, 0, 0, 0};
    using Failures = std::map<std::string, int>;
    const auto refused = [](int code) { return Failures{{"WriteLineSettings", code}}; };
    const std::string dcb22 = "Error writing dcb (22), text of 22";
    // what, refused at Open, the device's failures, the change, its message, whether a restore was
    // tried, whether the line is as before
    const std::tuple<const char*, bool, Failures, PortChange, std::string, bool, bool> rows[] = {
        {"user rate", false, refused(22), [](TSerComm& p) { p.SetUserBaudrate(7); }, dcb22, true, true},
        {"first record at Open", true, refused(22), [](TSerComm& p) { p.Open(); }, dcb22, true, true},
        {"line unreadable", false, {{"KeepLineState", 5}}, [](TSerComm& p) { p.SetParity(paOdd); },
         "Error writing dcb (5), text of 5", false, true},
        // the refusal stays what the message names
        {"restore refused too", false, {{"WriteLineSettings", 22}, {"RestoreLineState", 5}},
         [](TSerComm& p) { p.SetParity(paOdd); }, dcb22, true, false},
    };
    for (const auto& [what, atOpen, failures, change, message, restoreTried, lineAsBefore] : rows) {
        FakePort fake;
        fake.port.SetDeviceName("COM1");
        fake.record.line = foreign;
        if (!atOpen) fake.port.Open();
        const TSerLineSettings lineBefore = fake.record.line;
        const TSerLineSettings propertiesBefore = fake.port.LineSettings();
        fake.record.calls.clear();
        fake.record.failures = failures;
        EXPECT_EQ(MessageOf<ESerCommError>([&fake, &change = change] { change(fake.port); }), message) << what;
        const auto& calls = fake.record.calls;
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "RestoreLineState"), restoreTried ? 1 : 0) << what;
        if (lineAsBefore) {
            EXPECT_EQ(fake.record.line, lineBefore) << what;
            EXPECT_EQ(fake.port.LineSettings(), propertiesBefore) << what;
        }
        EXPECT_EQ(fake.port.IsOpen(), !atOpen) << what;
    }
}

// A refused line setting keeps the old values: the refused rows above.
TEST(TSerCustomComm, ReadAndWriteFailuresOnAnOpenPortRaise) {
    auto fake = OpenFakePort([](TSerComm& p) { p.SetDirectWrite(true); });
    TSerComm& port = fake->port;
    fake->record.failures = {{"Read", 5}};
    char bytes[3] = {1, 2, 3};
    EXPECT_EQ(MessageOf<ESerCommError>([&] { port.ReadBuf(bytes, 3); }), "Read error (5), text of 5");
    EXPECT_EQ(port.WriteBuf(bytes, 3), 3);
    fake->record.failures["Write"] = 5;
    EXPECT_EQ(MessageOf<ESerCommError>([&] { port.WriteBuf(bytes, 3); }), "Write error (5), text of 5");
    EXPECT_TRUE(port.IsOpen());
}

}  // namespace
