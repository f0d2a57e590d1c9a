#include "serial/LinuxTermios.h"

#include <gtest/gtest.h>
#include <termios.h>

namespace {

// The kernel's "rate in c_ospeed" marker; the C library's termios.h does not name it.
constexpr std::uint32_t kOtherRate = 0010000;

TSerLineSettings KLine() {
    TSerLineSettings s;
    s.BaudRate = 10400;
    s.ByteSize = 8;
    s.Flags = TSerLineSettings::fBinary;
    s.XonChar = 0x11;
    s.XoffChar = 0x13;
    return s;
}

TEST(TermiosFromLineSettings, KLineIsRaw8N1AtAnyRate) {
    TermiosImage t;
    ASSERT_TRUE(TermiosFromLineSettings(KLine(), t));
    EXPECT_EQ(t.cflag & CBAUD, kOtherRate);
    EXPECT_EQ(t.ospeed, 10400u);
    EXPECT_EQ(t.ispeed, 10400u);
    EXPECT_EQ(t.cflag & ~CBAUD, static_cast<std::uint32_t>(CS8 | CREAD | CLOCAL));
    EXPECT_EQ(t.iflag, 0u);  // no break, CR or parity rewriting, no software handshake
    EXPECT_EQ(t.oflag, 0u);
    EXPECT_EQ(t.lflag, 0u);  // no echo, no line editing, no signals
    EXPECT_EQ(t.cc[VMIN], 1);
    EXPECT_EQ(t.cc[VTIME], 0);
}

TEST(TermiosFromLineSettings, FramingAndHandshakeBits) {
    struct Row {
        const char* what;
        void (*change)(TSerLineSettings&);
        std::uint32_t cflag;  // bits of interest in c_cflag
        std::uint32_t iflag;
    } rows[] = {
        {"7 bits", [](TSerLineSettings& s) { s.ByteSize = 7; }, CS7, 0},
        {"5 bits", [](TSerLineSettings& s) { s.ByteSize = 5; }, CS5, 0},
        {"odd", [](TSerLineSettings& s) { s.Parity = 1; }, CS8 | PARENB | PARODD, 0},
        {"even", [](TSerLineSettings& s) { s.Parity = 2; }, CS8 | PARENB, 0},
        {"mark", [](TSerLineSettings& s) { s.Parity = 3; }, CS8 | PARENB | PARODD | CMSPAR, 0},
        {"space", [](TSerLineSettings& s) { s.Parity = 4; }, CS8 | PARENB | CMSPAR, 0},
        {"two stop bits", [](TSerLineSettings& s) { s.StopBits = 2; }, CS8 | CSTOPB, 0},
        {"parity check", [](TSerLineSettings& s) { s.Parity = 2; s.Flags |= TSerLineSettings::fParity; },
         CS8 | PARENB, INPCK},
        {"CTS flow", [](TSerLineSettings& s) { s.Flags |= TSerLineSettings::fOutxCtsFlow; }, CS8 | CRTSCTS, 0},
        {"RTS handshake", [](TSerLineSettings& s) { s.Flags |= TSerLineSettings::fRtsHandshake; }, CS8 | CRTSCTS, 0},
        {"RTS toggle is no handshake", [](TSerLineSettings& s) { s.Flags |= TSerLineSettings::fRtsToggle; }, CS8, 0},
        {"Xon/Xoff both ways", [](TSerLineSettings& s) { s.Flags |= TSerLineSettings::fOutX | TSerLineSettings::fInX; },
         CS8, IXON | IXOFF},
    };
    const std::uint32_t watched = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    for (const Row& row : rows) {
        TSerLineSettings s = KLine();
        row.change(s);
        TermiosImage t;
        ASSERT_TRUE(TermiosFromLineSettings(s, t)) << row.what;
        EXPECT_EQ(t.cflag & watched, row.cflag) << row.what;
        EXPECT_EQ(t.iflag, row.iflag) << row.what;
    }
}

TEST(TermiosFromLineSettings, RefusesWhatTheLineCannotRun) {
    struct Row {
        const char* what;
        void (*change)(TSerLineSettings&);
    } rows[] = {
        {"rate 0 would hang the line up", [](TSerLineSettings& s) { s.BaudRate = 0; }},
        {"4 data bits", [](TSerLineSettings& s) { s.ByteSize = 4; }},
        {"parity beyond space", [](TSerLineSettings& s) { s.Parity = 5; }},
    };
    for (const Row& row : rows) {
        TSerLineSettings s = KLine();
        row.change(s);
        TermiosImage t;
        EXPECT_FALSE(TermiosFromLineSettings(s, t)) << row.what;
    }
}

TEST(TermiosFromLineSettings, XonAndXoffCharactersGoToTheControlCharacters) {
    TSerLineSettings s = KLine();
    s.XonChar = 0x21;
    s.XoffChar = 0x23;
    TermiosImage t;
    ASSERT_TRUE(TermiosFromLineSettings(s, t));
    EXPECT_EQ(t.cc[VSTART], 0x21);
    EXPECT_EQ(t.cc[VSTOP], 0x23);
}

}  // namespace
