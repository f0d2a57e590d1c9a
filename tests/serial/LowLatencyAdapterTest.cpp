#include "serial/LowLatencyAdapter.h"
#include "support/PseudoTerminal.h"
#include "support/TextFile.h"
#include "serial/TSerComm.h"
#include "serial/TSerPosixDevice.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/stat.h>

#include <memory>
#include <string>

namespace {

// While it lives, this thread's file access is checked as an unprivileged user's, so that a
// read-only stand-in attribute stays read-only to a test that runs as root.
struct UnprivilegedFileAccess {
    const int previous = ::setfsuid(::geteuid() == 0 ? 65534 : ::geteuid());
    ~UnprivilegedFileAccess() { ::setfsuid(previous); }
};

// A stand-in for /sys with the latency timer of one tty holding `stored` (none when null).
struct StandInSysfs {
    StandInSysfs(const std::string& tty, const char* stored, bool writable) {
        ::chmod(dir.path().toLocal8Bit().constData(), 0755);
        const QString folder = dir.filePath(QString::fromStdString("sys/class/tty/" + tty + "/device"));
        timer = (folder + "/latency_timer").toStdString();
        if (!stored) return;
        QDir().mkpath(folder);
        WriteFile(QString::fromStdString(timer), stored);
        ::chmod(timer.c_str(), writable ? 0666 : 0444);
    }
    std::string Root() const { return dir.filePath("sys").toStdString(); }
    std::string Stored() const { return ReadFile(QString::fromStdString(timer)).trimmed().toStdString(); }

    QTemporaryDir dir;
    std::string timer;
};

TEST(LowLatencyAdapter, LatencyTimerIsLoweredToOneMsOrTheOperatorIsToldHow) {
    struct Row { const char* what; const char* stored; bool writable; const char* after; bool notice; };
    const Row rows[] = {
        {"default of an FTDI adapter", "16", true, "1", false},
        {"already low", "1", true, "1", false},
        {"may not be written", "16", false, "16", true},
        {"may not be written but low enough", "1", false, "1", false},
        {"not a number", "fast", true, "fast", false},
        {"no such attribute", nullptr, true, "", false},
    };
    for (const Row& row : rows) {
        const StandInSysfs sysfs("ttyUSB7", row.stored, row.writable);
        // dev/serial/by-id/adapter leading to dev/ttyUSB7
        QDir().mkpath(sysfs.dir.filePath("dev/serial/by-id"));
        WriteFile(sysfs.dir.filePath("dev/ttyUSB7"), "");
        const QString device = sysfs.dir.filePath("dev/serial/by-id/adapter");
        QFile::link(sysfs.dir.filePath("dev/ttyUSB7"), device);
        const LowLatencyAdapter adapter(sysfs.Root());
        EXPECT_EQ(adapter.LatencyTimerPath(device.toStdString()), sysfs.timer) << row.what;
        std::string notice;
        {
            UnprivilegedFileAccess unprivileged;
            notice = adapter.Tune(-1, device.toStdString());
        }
        EXPECT_EQ(sysfs.Stored(), row.after) << row.what;
        EXPECT_EQ(!notice.empty(), row.notice) << row.what << ": " << notice;
        if (row.notice) {
            // The value, and the command that changes it.
            EXPECT_NE(notice.find("up to 16 ms"), std::string::npos) << notice;
            EXPECT_NE(notice.find("echo 1 | sudo tee " + sysfs.timer), std::string::npos) << notice;
            EXPECT_NE(notice.find("udev rule"), std::string::npos) << notice;
        }
    }
}

// Opening a pseudo-terminal as the port: it refuses the serial ioctls without a word, and a
// read-only latency timer standing in for its name brings the operator's notice.
TEST(LowLatencyAdapter, ThePortTunesWhatItOpensAndSaysOnlyWhatMatters) {
    PseudoTerminal far;
    ::fchmod(far.Slave(), 0666);  // open to the unprivileged file access below
    const std::string name = far.SlavePath().substr(far.SlavePath().find_last_of('/') + 1);
    const StandInSysfs sysfs(name, "16", false);
    TSerComm port(std::make_unique<TSerPosixDevice>(sysfs.Root()));
    port.SetDeviceName(far.SlavePath());
    port.SetUserBaudrate(10400);
    {
        UnprivilegedFileAccess unprivileged;
        ASSERT_NO_THROW(port.Open());
    }
    EXPECT_NE(port.OpenNotice().find("echo 1 | sudo tee " + sysfs.timer), std::string::npos) << port.OpenNotice();
    port.Close();
    EXPECT_TRUE(port.OpenNotice().empty());
}

}  // namespace
