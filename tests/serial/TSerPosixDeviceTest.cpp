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
    PseudoTerminal far;
    TSerPosixDevice device;
    ASSERT_EQ(device.Open(far.SlavePath()), 0);
    EXPECT_EQ(device.RestoreLineState(), EINVAL);  // nothing kept yet
    TermiosImage before, changed, after;
    ASSERT_EQ(GetTermios2(far.Slave(), before), 0);
    ASSERT_EQ(device.KeepLineState(), 0);
    // the K-line record: rate, flags, Xon and Xoff limits, size, parity, stop bits; Xon, Xoff characters
    ASSERT_EQ(device.WriteLineSettings({10400, TSerLineSettings::fBinary, 0, 0, 8, 0, 0, 0x11, 0x13}), 0);
    ASSERT_EQ(GetTermios2(far.Slave(), changed), 0);
    EXPECT_EQ(changed.ospeed, 10400u);
    EXPECT_FALSE(Same(changed, before));
    ASSERT_EQ(device.RestoreLineState(), 0);
    ASSERT_EQ(GetTermios2(far.Slave(), after), 0);
    EXPECT_TRUE(Same(after, before));
}

}  // namespace
