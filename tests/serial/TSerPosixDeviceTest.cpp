#include "serial/LinuxTermios.h"
#include "support/PseudoTerminal.h"
#include "serial/TSerPosixDevice.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

bool Same(const TermiosImage& a, const TermiosImage& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The line a refused change leaves is the one the driver held before, whatever the change was.
TEST(TSerPosixDevice, RestoreLineStatePutsBackWhatTheDriverHeld) {
    using L = TSerLineSettings;
    struct Row { const char* what; L settings; } rows[] = {
        // rate, flags, Xon and Xoff limits, size, parity, stop bits; Xon, Xoff characters
        {"K-line record", {10400, L::fBinary, 0, 0, 8, 0, 0, 0x11, 0x13}},
        {"other framing, software handshake",
         {4800, L::fBinary | L::fOutX | L::fInX, 0, 0, 7, 2, 2, 0x21, 0x23}},
    };
    for (const Row& row : rows) {
        PseudoTerminal far;
        TSerPosixDevice device;
        ASSERT_EQ(device.Open(far.SlavePath()), 0) << row.what;
        EXPECT_EQ(device.RestoreLineState(), EINVAL) << row.what;  // nothing kept yet
        TermiosImage before, changed, after;
        ASSERT_EQ(GetTermios2(far.Slave(), before), 0);
        ASSERT_EQ(device.KeepLineState(), 0) << row.what;
        ASSERT_EQ(device.WriteLineSettings(row.settings), 0) << row.what;
        ASSERT_EQ(GetTermios2(far.Slave(), changed), 0);
        EXPECT_EQ(changed.ospeed, row.settings.BaudRate) << row.what;
        EXPECT_FALSE(Same(changed, before)) << row.what;
        ASSERT_EQ(device.RestoreLineState(), 0) << row.what;
        ASSERT_EQ(GetTermios2(far.Slave(), after), 0);
        EXPECT_TRUE(Same(after, before)) << row.what;
    }
}

}  // namespace
