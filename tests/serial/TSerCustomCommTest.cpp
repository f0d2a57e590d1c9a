#include "serial/FakeSerDevice.h"
#include "serial/TSerComm.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct FakePort {
    std::shared_ptr<FakeSerRecord> record = std::make_shared<FakeSerRecord>();
    TSerComm port{std::make_unique<FakeSerDevice>(record)};
};

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ESerCommError& error) {
        return error.what();
    }
    return "(nothing raised)";
}

TEST(TSerCustomComm, DevicePathFromNameAndNumber) {
    struct Row {
        const char* name;
        int portNum;
        const char* formatted;
        const char* path;
    } rows[] = {
        {"COM%d", 3, "COM3", "/dev/ttyS2"},
        {"COM1", 7, "COM1", "/dev/ttyS0"},
        {"COM0", 0, "COM0", "COM0"},  // COM numbers start at 1
        {"/dev/ttyUSB%d", 1, "/dev/ttyUSB1", "/dev/ttyUSB1"},
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

TEST(TSerCustomComm, OpenRunsItsStepsInOrderWithTheSystemsSettings) {
    FakePort fake;
    fake.port.SetDeviceName("COM1");
    fake.port.SetUserBaudrate(10400);
    int opened = 0;
    fake.port.SetOnOpen([&](TSerCustomComm* sender) { opened += sender == &fake.port; });
    fake.port.Open();
    EXPECT_TRUE(fake.port.IsOpen());
    EXPECT_EQ(opened, 1);
    fake.port.Close();
    const std::vector<std::string> expected = {
        "Open /dev/ttyS0", "WriteLineSettings", "SetupQueues 4096 2048", "SetReadInterval 5",
        "SetEventMask 129",  // 0x81: error and received character; the write thread reports tx-empty
        "Close"};
    EXPECT_EQ(fake.record->calls, expected);
    ASSERT_EQ(fake.record->settingsWritten.size(), 1u);
    const TSerLineSettings& s = fake.record->settingsWritten[0];
    EXPECT_EQ(s.BaudRate, 10400u);
    EXPECT_EQ(s.ByteSize, 8);
    EXPECT_EQ(s.Parity, 0);
    EXPECT_EQ(s.StopBits, 0);
    EXPECT_EQ(s.Flags, TSerLineSettings::fBinary);  // no handshake, DTR and RTS held inactive
    EXPECT_EQ(s.XonLim, 1024);
    EXPECT_EQ(s.XoffLim, 1024);
    EXPECT_EQ(s.XonChar, 0x11);
    EXPECT_EQ(s.XoffChar, 0x13);
}

TEST(TSerCustomComm, LineSettingsRecordFollowsTheProperties) {
    struct Row {
        const char* what;
        std::function<void(TSerComm&)> set;
        std::function<bool(const TSerLineSettings&)> holds;
    } rows[] = {
        {"br115200", [](TSerComm& p) { p.SetBaudrate(br115200); }, [](const TSerLineSettings& s) { return s.BaudRate == 115200; }},
        {"default br1200", [](TSerComm&) {}, [](const TSerLineSettings& s) { return s.BaudRate == 1200 && s.Flags == 1; }},
        {"db5 paMark sb15", [](TSerComm& p) { p.SetDatabits(db5); p.SetParity(paMark); p.SetStopbits(sb15); },
         [](const TSerLineSettings& s) { return s.ByteSize == 5 && s.Parity == 3 && s.StopBits == 1; }},
        {"options", [](TSerComm& p) { p.SetOptions(coErrorChar | coNullStrip | coParityCheck); },
         [](const TSerLineSettings& s) { return s.Flags == (0x1 | 0x400 | 0x800 | 0x2); }},
        {"flow control", [](TSerComm& p) {
             auto& f = p.FlowControl();
             f.SetOutCtsFlow(true); f.SetOutDsrFlow(true); f.SetControlDtr(dtrHandshake);
             f.SetDsrSensitivity(true); f.SetTxContinueOnXoff(true); f.SetXonXoffOut(true);
             f.SetXonXoffIn(true); f.SetControlRts(rtsToggle); },
         [](const TSerLineSettings& s) { return s.Flags == (0x1 | 0x4 | 0x8 | 0x20 | 0x40 | 0x80 | 0x100 | 0x200 | 0x3000); }},
        {"dtr and rts enabled", [](TSerComm& p) { p.FlowControl().SetControlDtr(dtrEnabled); p.FlowControl().SetControlRts(rtsEnabled); },
         [](const TSerLineSettings& s) { return s.Flags == (0x1 | 0x10 | 0x1000); }},
        {"characters and limits", [](TSerComm& p) {
             auto& c = p.EventChars();
             c.SetXonChar(1); c.SetXoffChar(2); c.SetErrorChar(3); c.SetEofChar(4); c.SetEventChar(5);
             p.Buffers().SetXonLimit(10); p.Buffers().SetXoffLimit(20); },
         [](const TSerLineSettings& s) {
             return s.XonChar == 1 && s.XoffChar == 2 && s.ErrorChar == 3 && s.EofChar == 4 && s.EvtChar == 5 &&
                    s.XonLim == 10 && s.XoffLim == 20; }},
    };
    for (const Row& row : rows) {
        FakePort fake;
        row.set(fake.port);
        EXPECT_TRUE(row.holds(fake.port.LineSettings())) << row.what;
    }
}

TEST(TSerCustomComm, BaudrateAndUserBaudrateClearEachOther) {
    FakePort fake;
    fake.port.SetUserBaudrate(10400);
    EXPECT_EQ(fake.port.Baudrate(), brUser);
    fake.port.SetBaudrate(br9600);
    EXPECT_EQ(fake.port.UserBaudrate(), 0);
    EXPECT_EQ(fake.port.LineSettings().BaudRate, 9600u);
}

TEST(TSerCustomComm, EventMaskDropsTxEmptyUnlessWritingDirectly) {
    struct Row {
        TSerEvents monitor;
        bool direct;
        std::uint32_t mask;
    } rows[] = {
        {ceError | ceRxChar | ceTxEmpty, false, 0x81},
        {ceError | ceRxChar | ceTxEmpty, true, 0x85},
        {ceBreak | ceRing | ceEvent2, false, 0x1140},
        {0, false, 0},
    };
    for (const Row& row : rows) {
        FakePort fake;
        fake.port.SetMonitorEvents(row.monitor);
        fake.port.SetDirectWrite(row.direct);
        EXPECT_EQ(fake.port.EventMask(), row.mask) << row.monitor;
    }
}

TEST(TSerCustomComm, ClosedOnlyPropertiesAreRefusedWhileOpenAndKeepTheirValue) {
    struct Row {
        const char* what;
        std::function<void(TSerComm&)> change;
        std::function<bool(const TSerComm&)> unchanged;
    } rows[] = {
        {"DeviceName", [](TSerComm& p) { p.SetDeviceName("COM2"); }, [](const TSerComm& p) { return p.DeviceName() == "COM1"; }},
        {"PortNum", [](TSerComm& p) { p.SetPortNum(4); }, [](const TSerComm& p) { return p.PortNum() == 0; }},
        {"MonitorEvents", [](TSerComm& p) { p.SetMonitorEvents(ceBreak); }, [](const TSerComm& p) { return p.MonitorEvents() == 0x85u; }},
        {"DirectWrite", [](TSerComm& p) { p.SetDirectWrite(true); }, [](const TSerComm& p) { return !p.DirectWrite(); }},
        {"UpdateDCB", [](TSerComm& p) { p.SetUpdateDCB(false); }, [](const TSerComm& p) { return p.UpdateDCB(); }},
        {"Buffers value", [](TSerComm& p) { p.Buffers().SetReadTimeout(5); }, [](const TSerComm& p) { return p.Buffers().ReadTimeout() == 1000; }},
        {"Buffers group", [](TSerComm& p) { TSerBuffers b; b.SetWriteSize(16); p.SetBuffers(b); },
         [](const TSerComm& p) { return p.Buffers().WriteSize() == 2048; }},
        {"Open", [](TSerComm& p) { p.Open(); }, [](const TSerComm& p) { return p.IsOpen(); }},
    };
    for (const Row& row : rows) {
        FakePort fake;
        fake.port.SetDeviceName("COM1");
        fake.port.Open();
        EXPECT_EQ(MessageOf([&] { row.change(fake.port); }), "Can't perform this operation while port is open") << row.what;
        EXPECT_TRUE(row.unchanged(fake.port)) << row.what;
    }
}

TEST(TSerCustomComm, LineSettingsChangesReachTheOpenDeviceOnce) {
    struct Row {
        const char* what;
        std::function<void(TSerComm&)> change;
        std::size_t writes;  // line-settings records written after the one of Open
    } rows[] = {
        {"Parity", [](TSerComm& p) { p.SetParity(paEven); }, 1},
        {"same Parity", [](TSerComm& p) { p.SetParity(paNone); }, 0},
        {"same DTR control", [](TSerComm& p) { p.FlowControl().SetControlDtr(dtrDisabled); }, 0},
        {"same Xon character", [](TSerComm& p) { p.EventChars().SetXonChar(0x11); }, 1},
        {"flow group assigned", [](TSerComm& p) {
             TSerFlowControl f; f.SetXonXoffIn(true); f.SetOutCtsFlow(true); p.SetFlowControl(f); }, 1},
        {"batch", [](TSerComm& p) {
             p.FlowControl().BeginUpdate(); p.FlowControl().SetOutCtsFlow(true);
             p.FlowControl().SetXonXoffOut(true); p.FlowControl().EndUpdate(); }, 1},
        {"priorities", [](TSerComm& p) { p.SetEventPriority(tpLower); p.SetWritePriority(tpLowest); }, 0},
    };
    for (const Row& row : rows) {
        FakePort fake;
        fake.port.SetDeviceName("COM1");
        fake.port.Open();
        row.change(fake.port);
        EXPECT_EQ(fake.record->settingsWritten.size(), 1 + row.writes) << row.what;
    }
}

TEST(TSerCustomComm, RefusedLineSettingsKeepTheOldValue) {
    FakePort fake;
    fake.port.SetDeviceName("COM1");
    fake.port.Open();
    fake.record->failures["WriteLineSettings"] = 22;
    EXPECT_EQ(MessageOf([&] { fake.port.SetUserBaudrate(7); }), "Error writing dcb (22), text of 22");
    EXPECT_EQ(fake.port.Baudrate(), br1200);
    EXPECT_EQ(fake.port.UserBaudrate(), 0);
    EXPECT_EQ(MessageOf([&] { fake.port.FlowControl().SetXonXoffIn(true); }), "Error writing dcb (22), text of 22");
    EXPECT_FALSE(fake.port.FlowControl().XonXoffIn());
    EXPECT_TRUE(fake.port.IsOpen());
}

TEST(TSerCustomComm, UpdateDcbOffLeavesTheDevicesSettingsAlone) {
    FakePort fake;
    fake.port.SetDeviceName("COM1");
    fake.port.SetUpdateDCB(false);
    fake.port.Open();
    fake.port.SetBaudrate(br19200);
    EXPECT_TRUE(fake.record->settingsWritten.empty());
}

TEST(TSerCustomComm, FailedOpenStepsGiveTheirMessageAndLeaveThePortClosed) {
    struct Row {
        const char* operation;
        int code;
        const char* message;
        bool closesHandle;
    } rows[] = {
        {"Open", 2, "Specified device not found (COM9).", false},
        {"Open", 11, "Can't open specified device COM9 (Error 11, text of 11)", false},
        {"WriteLineSettings", 22, "Error writing dcb (22), text of 22", true},
        {"SetupQueues", 12, "Error initializing buffers (12), text of 12", true},
        {"SetReadInterval", 5, "Error setting timeouts (5), text of 5", true},
        {"SetEventMask", 5, " Error setting EventMask (5), text of 5", true},
    };
    for (const Row& row : rows) {
        FakePort fake;
        fake.port.SetPortNum(9);
        fake.record->failures[row.operation] = row.code;
        EXPECT_EQ(MessageOf([&] { fake.port.Open(); }), row.message) << row.operation;
        EXPECT_FALSE(fake.port.IsOpen());
        EXPECT_EQ(fake.record->calls.back() == "Close", row.closesHandle) << row.operation;
    }
}

TEST(TSerCustomComm, ClosedPortReadsAndWritesNothing) {
    FakePort fake;
    char bytes[4] = {};
    EXPECT_EQ(fake.port.ReadBuf(bytes, 4), 0);
    EXPECT_EQ(fake.port.WriteBuf(bytes, 4), 0);
    EXPECT_EQ(fake.port.InQueueCount(), 0);
    fake.port.Close();  // closing a closed port does nothing
    EXPECT_TRUE(fake.record->calls.empty());
}

TEST(TSerCustomComm, DirectWriteFailureRaisesWriteError) {
    FakePort fake;
    fake.port.SetDeviceName("COM1");
    fake.port.SetDirectWrite(true);
    fake.port.Open();
    const char bytes[3] = {1, 2, 3};
    EXPECT_EQ(fake.port.WriteBuf(bytes, 3), 3);
    fake.record->failures["Write"] = 5;
    EXPECT_EQ(MessageOf([&] { fake.port.WriteBuf(bytes, 3); }), "Write error (5), text of 5");
    fake.record->failures["Read"] = 5;
    char in[3];
    EXPECT_EQ(MessageOf([&] { fake.port.ReadBuf(in, 3); }), "Read error (5), text of 5");
}

TEST(TSerCustomComm, CloseCallsOnCloseButDestructionDoesNot) {
    int closed = 0;
    {
        FakePort fake;
        fake.port.SetDeviceName("COM1");
        fake.port.SetOnClose([&](TSerCustomComm*) { ++closed; });
        fake.port.Open();
        fake.port.Close();
        EXPECT_EQ(closed, 1);
        fake.port.Open();
    }
    EXPECT_EQ(closed, 1);
}

TEST(TSerCustomComm, AutoOpenOpensWhenLoaded) {
    FakePort fake;
    fake.port.SetDeviceName("COM1");
    fake.port.Loaded();
    EXPECT_FALSE(fake.port.IsOpen());
    fake.port.SetAutoOpen(true);
    fake.port.Loaded();
    EXPECT_TRUE(fake.port.IsOpen());
}

}  // namespace
