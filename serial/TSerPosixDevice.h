#pragma once

#include "serial/LinuxTermios.h"
#include "serial/TSerDevice.h"

#include <atomic>
#include <string>
#include <utility>

// The device layer on Linux: a tty opened exclusively (flock and TIOCEXCL), waits with poll()
// on the device and on an eventfd that ends them, line settings through termios2.
class TSerPosixDevice : public TSerDevice {
public:
    // sysfsRoot stands in for /sys, where an adapter's latency timer is found.
    explicit TSerPosixDevice(std::string sysfsRoot = "/sys") : sysfsRoot_(std::move(sysfsRoot)) {}
    ~TSerPosixDevice() override;
    TSerPosixDevice(const TSerPosixDevice&) = delete;
    TSerPosixDevice& operator=(const TSerPosixDevice&) = delete;

    int Open(const std::string& path) override;
    void Close() override;
    bool IsPseudoTerminalMaster() const override { return master_; }
    std::string PseudoTerminalPath() const override { return pseudoTerminalPath_; }

    int WriteLineSettings(const TSerLineSettings& settings) override;
    int KeepLineState() override;
    int RestoreLineState() override;
    int SetupQueues(int inputSize, int outputSize) override;
    int SetReadInterval(int milliseconds) override;
    int SetEventMask(std::uint32_t mask) override;

    int InQueue(int& count) override;
    std::uint32_t TakeLineErrors() override;

    int Read(void* buffer, int count, int timeoutMs, int& got) override;
    int ReadNow(void* buffer, int count, int& got) override;
    int Write(const void* buffer, int count, int timeoutMs, int& put) override;

    TSerWaitResult WaitReceive(int timeoutMs) override;
    bool Pause(int timeoutMs) override;
    void Wake() override;

    std::string ErrorText(int code) const override;
    std::string OpenNotice() const override { return openNotice_; }

private:
    int OpenPseudoTerminalMaster();
    int SetModemLines(const TSerLineSettings& settings);
    // An I/O failure of a real device is a line error for OnError; a master's hang-up is not.
    void NoteFailure();

    int fd_ = -1;
    int wake_ = -1;
    bool master_ = false;
    std::string pseudoTerminalPath_;
    std::string sysfsRoot_;
    std::string openNotice_;
    int readIntervalMs_ = 5;
    // What KeepLineState found: the termios, and DTR/RTS where the device has modem lines.
    TermiosImage keptTermios_;
    bool termiosKept_ = false;
    int keptModemLines_ = 0;
    bool modemLinesKept_ = false;
    std::atomic<std::uint32_t> lineErrors_{0};
};
