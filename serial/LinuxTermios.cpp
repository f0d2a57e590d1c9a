// The only place that sees the kernel's termios2: asm/termbits.h and the C library's
// termios.h cannot share a translation unit.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include "serial/LinuxTermios.h"

static_assert(sizeof(TermiosImage) == sizeof(struct termios2), "termios2 layout");

namespace {

void ToKernel(const TermiosImage& image, struct termios2& t) {
    t.c_iflag = image.iflag;
    t.c_oflag = image.oflag;
    t.c_cflag = image.cflag;
    t.c_lflag = image.lflag;
    t.c_line = image.line;
    for (int i = 0; i < NCCS; ++i) t.c_cc[i] = image.cc[i];
    t.c_ispeed = image.ispeed;
    t.c_ospeed = image.ospeed;
}

void FromKernel(const struct termios2& t, TermiosImage& image) {
    image.iflag = t.c_iflag;
    image.oflag = t.c_oflag;
    image.cflag = t.c_cflag;
    image.lflag = t.c_lflag;
    image.line = t.c_line;
    for (int i = 0; i < NCCS; ++i) image.cc[i] = t.c_cc[i];
    image.ispeed = t.c_ispeed;
    image.ospeed = t.c_ospeed;
}

}  // namespace

bool TermiosFromLineSettings(const TSerLineSettings& s, TermiosImage& image) {
    if (s.BaudRate == 0 || s.ByteSize < 5 || s.ByteSize > 8 || s.Parity > 4 || s.StopBits > 2)
        return false;
    TermiosImage t;
    // Raw: no echo, no line editing, no signals, no translation of CR/LF, no output processing.
    t.cflag = CREAD | CLOCAL | BOTHER;
    static const std::uint32_t sizes[] = {CS5, CS6, CS7, CS8};
    t.cflag |= sizes[s.ByteSize - 5];
    switch (s.Parity) {
        case 1: t.cflag |= PARENB | PARODD; break;
        case 2: t.cflag |= PARENB; break;
        case 3: t.cflag |= PARENB | PARODD | CMSPAR; break;
        case 4: t.cflag |= PARENB | CMSPAR; break;
        default: break;
    }
    if (s.StopBits != 0) t.cflag |= CSTOPB;
    if (s.Flags & TSerLineSettings::fParity) t.iflag |= INPCK;
    if ((s.Flags & TSerLineSettings::fOutxCtsFlow) ||
        (s.Flags & TSerLineSettings::fRtsControlMask) == TSerLineSettings::fRtsHandshake)
        t.cflag |= CRTSCTS;
    if (s.Flags & TSerLineSettings::fOutX) t.iflag |= IXON;
    if (s.Flags & TSerLineSettings::fInX) t.iflag |= IXOFF;
    t.cc[VSTART] = s.XonChar;
    t.cc[VSTOP] = s.XoffChar;
    t.cc[VMIN] = 1;
    t.cc[VTIME] = 0;
    t.ispeed = s.BaudRate;
    t.ospeed = s.BaudRate;
    image = t;
    return true;
}

int SetTermios2(int fd, const TermiosImage& image) {
    struct termios2 t {};
    ToKernel(image, t);
    return ioctl(fd, TCSETS2, &t);
}

int GetTermios2(int fd, TermiosImage& image) {
    struct termios2 t {};
    const int result = ioctl(fd, TCGETS2, &t);
    if (result == 0) FromKernel(t, image);
    return result;
}

void MakeRaw8N1(TermiosImage& image, std::uint32_t baud) {
    image.iflag &= ~static_cast<std::uint32_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                               IXOFF | IXANY | INPCK);
    image.oflag &= ~static_cast<std::uint32_t>(OPOST);
    image.lflag &= ~static_cast<std::uint32_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    image.cflag &= ~static_cast<std::uint32_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    image.cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    image.ispeed = baud;
    image.ospeed = baud;
    image.cc[VMIN] = 0;
    image.cc[VTIME] = 0;
}

int MakeRawTermios2(int fd) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return -1;
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB);
    t.c_cflag |= CS8;
    return ioctl(fd, TCSETS2, &t);
}
