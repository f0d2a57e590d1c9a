#include "serial/LinuxTermios.h"

#include <gtest/gtest.h>
#include <termios.h>

namespace {

using L = TSerLineSettings;

// Departures from the K-line record (10400 8N1, binary only); the K-line record itself is
// read back from a real driver in the pseudo-terminal tests.
TEST(TermiosFromLineSettings, FramingHandshakeAndRefusals) {
    // cflag: the bits of interest in c_cflag
    struct Row { const char* what; void (*change)(L&); bool accepted; std::uint32_t cflag, iflag; } rows[] = {
        {"rate 0 would hang the line up", [](L& s) { s.BaudRate = 0; }, false, 0, 0},
        {"4 data bits", [](L& s) { s.ByteSize = 4; }, false, 0, 0},
        {"parity beyond space", [](L& s) { s.Parity = 5; }, false, 0, 0},
        {"5 bits", [](L& s) { s.ByteSize = 5; }, true, CS5, 0},
        {"odd", [](L& s) { s.Parity = 1; }, true, CS8 | PARENB | PARODD, 0},
        {"mark", [](L& s) { s.Parity = 3; }, true, CS8 | PARENB | PARODD | CMSPAR, 0},
        {"two stop bits", [](L& s) { s.StopBits = 2; }, true, CS8 | CSTOPB, 0},
        {"parity check", [](L& s) { s.Parity = 2; s.Flags |= L::fParity; }, true, CS8 | PARENB, INPCK},
        {"CTS flow", [](L& s) { s.Flags |= L::fOutxCtsFlow; }, true, CS8 | CRTSCTS, 0},
    };
    const std::uint32_t watched = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    for (const Row& row : rows) {
        L s{10400, L::fBinary, 0, 0, 8, 0, 0, 0x11, 0x13};
        row.change(s);
        TermiosImage t;
        ASSERT_EQ(TermiosFromLineSettings(s, t), row.accepted) << row.what;
        if (!row.accepted) continue;
        EXPECT_EQ(t.cflag & watched, row.cflag) << row.what;
        EXPECT_EQ(t.iflag, row.iflag) << row.what;
        EXPECT_EQ(t.cc[VSTART], s.XonChar) << row.what;
        EXPECT_EQ(t.cc[VSTOP], s.XoffChar) << row.what;
    }
}

// A line left cooked by an earlier user (7E2, echo, line editing, both handshakes, a standard
// rate) comes out raw 8N1 at the asked rate; bits the tester does not care about stay.
TEST(MakeRaw8N1, ClearsWhatCooksOrPacesTheLineAndKeepsTheRest) {
    TermiosImage t;
    t.lflag = ECHO | ECHONL | ICANON | ISIG | IEXTEN | ECHOE;
    t.iflag = IGNBRK | BRKINT | ISTRIP | INLCR | IGNCR | ICRNL | IUTF8 | IXON | IXOFF | IXANY | INPCK | PARMRK;
    t.oflag = OPOST | ONLCR;
    t.cflag = B9600 | CS7 | PARENB | CSTOPB | CRTSCTS | HUPCL;
    t.cc[VMIN] = 1;
    t.cc[VTIME] = 5;
    t.ispeed = t.ospeed = 9600;
    MakeRaw8N1(t, 10400);
    EXPECT_EQ(t.lflag, std::uint32_t(ECHOE));
    EXPECT_EQ(t.iflag, std::uint32_t(IUTF8));
    EXPECT_EQ(t.oflag, std::uint32_t(ONLCR));
    EXPECT_EQ(t.cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL | CREAD | CLOCAL | (CBAUD & ~CBAUDEX)),
              std::uint32_t(CS8 | HUPCL | CREAD | CLOCAL));
    EXPECT_EQ(t.ospeed, 10400u);
    EXPECT_EQ(t.ispeed, 10400u);
    // Reads return at once; the tester waits with poll.
    EXPECT_EQ(t.cc[VMIN], 0);
    EXPECT_EQ(t.cc[VTIME], 0);
}

}  // namespace
