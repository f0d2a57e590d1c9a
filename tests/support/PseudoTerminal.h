#pragma once

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <pty.h>
#include <stdexcept>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

// The far side of a test link: the master of a pseudo-terminal pair whose other side the
// port opens by its path. Both sides raw at once, or the line discipline echoes and rewrites.
// The one opener of test links for the suites and the benchmarks.
class PseudoTerminal {
public:
    PseudoTerminal() {
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        MakeRaw(master_);
        MakeRaw(slave_);
        path_ = name;
    }
    ~PseudoTerminal() { CloseMaster(); CloseSlave(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    static void MakeRaw(int fd) {
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }

    const std::string& SlavePath() const { return path_; }
    int Master() const { return master_; }
    int Slave() const { return slave_; }
    void CloseMaster() { CloseFd(master_); }
    void CloseSlave() { CloseFd(slave_); }

    // Packet mode on the master: the far side then learns when the port's output stops.
    void WatchOutputStops(bool on) const {
        int value = on ? 1 : 0;
        ::ioctl(master_, TIOCPKT, &value);
    }
    // Whether, while watched, the port's output is stopped (an XOFF taken) within the time-out.
    bool OutputStopped(int timeoutMs) const {
        pollfd p{master_, POLLIN, 0};
        std::uint8_t packet[256];
        while (::poll(&p, 1, timeoutMs) > 0) {
            if (::read(master_, packet, sizeof packet) <= 0) return false;
            if (packet[0] & TIOCPKT_STOP) return true;
        }
        return false;
    }

    void Send(const std::vector<std::uint8_t>& bytes) const { SendTo(master_, bytes); }
    std::vector<std::uint8_t> Receive(std::size_t count, int timeoutMs = 2000) const {
        return ReceiveFrom(master_, count, timeoutMs);
    }

    static void SendTo(int fd, const std::vector<std::uint8_t>& bytes) {
        if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error("far side write failed");
    }
    // Up to count bytes, as long as each chunk comes within the time-out.
    static std::vector<std::uint8_t> ReceiveFrom(int fd, std::size_t count, int timeoutMs) {
        std::vector<std::uint8_t> bytes;
        std::uint8_t chunk[256];
        pollfd p{fd, POLLIN, 0};
        while (bytes.size() < count && ::poll(&p, 1, timeoutMs) > 0) {
            const ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, count - bytes.size()));
            if (n <= 0) break;
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
        return bytes;
    }

private:
    static void CloseFd(int& fd) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// The far side of a USB adapter that the program opens by a path, as /dev/serial/by-id gives
// one: a pseudo-terminal master alone, which a child program does not inherit, so that
// destroying it pulls the adapter out.
class AdapterEnd {
public:
    AdapterEnd() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            if (master_ >= 0) ::close(master_);
            throw std::runtime_error("no pseudo-terminal for the adapter");
        }
        PseudoTerminal::MakeRaw(master_);
        path_ = ::ptsname(master_);
    }
    ~AdapterEnd() { ::close(master_); }
    AdapterEnd(const AdapterEnd&) = delete;
    AdapterEnd& operator=(const AdapterEnd&) = delete;

    const std::string& Path() const { return path_; }
    int Master() const { return master_; }
    void Send(const std::vector<std::uint8_t>& bytes) const { PseudoTerminal::SendTo(master_, bytes); }
    std::vector<std::uint8_t> Receive(std::size_t count, int timeoutMs) const {
        return PseudoTerminal::ReceiveFrom(master_, count, timeoutMs);
    }

private:
    int master_;
    std::string path_;
};
