#include "serial/LowLatencyAdapter.h"
#include "support/PseudoTerminal.h"
#include "serial/TSerComm.h"
#include "serial/TSerPosixDevice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/stat.h>

#include <memory>
#include <string>

namespace {

// While it lives, this thread's file access is checked as an unprivileged user's, so that a
// read-only stand-in attribute stays read-only to a test that runs as root.
class UnprivilegedFileAccess {
public:
    UnprivilegedFileAccess() : previous_(::setfsuid(::geteuid() == 0 ? 65534 : ::geteuid())) {}
    ~UnprivilegedFileAccess() { ::setfsuid(previous_); }

private:
    int previous_;
};

// A stand-in for /sys with one tty's latency timer, and a stand-in /dev whose by-id link
// leads to the tty's kernel name.
class StandInSysfs {
public:
    StandInSysfs() { ::chmod(dir_.path().toLocal8Bit().constData(), 0755); }

    std::string Root() const { return Path("sys"); }
    std::string Path(const char* relative) const { return dir_.filePath(relative).toStdString(); }

    // class/tty/NAME/device/latency_timer holding text; writable or not.
    std::string Timer(const std::string& name, const char* text, bool writable = true) const {
        const QString folder = dir_.filePath(QString::fromStdString("sys/class/tty/" + name + "/device"));
        QDir().mkpath(folder);
        const QString file = folder + "/latency_timer";
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        f.close();
        ::chmod(file.toLocal8Bit().constData(), writable ? 0666 : 0444);
        return file.toStdString();
    }
    // dev/ttyNAME and dev/serial/by-id/adapter leading to it.
    std::string Device(const std::string& name) const {
        QDir().mkpath(dir_.filePath("dev/serial/by-id"));
        const QString device = dir_.filePath(QString::fromStdString("dev/" + name));
        QFile f(device);
        f.open(QIODevice::WriteOnly);
        f.close();
        QFile::link(device, dir_.filePath("dev/serial/by-id/adapter"));
        return Path("dev/serial/by-id/adapter");
    }

    static std::string Read(const std::string& file) {
        QFile f(QString::fromStdString(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toStdString() : "<none>";
    }

private:
    QTemporaryDir dir_;
};

TEST(LowLatencyAdapter, LatencyTimerIsLoweredToOneMsOrTheOperatorIsToldHow) {
    struct Row {
        const char* what;
        const char* stored;  // nullptr: the device has no latency timer
        bool writable;
        const char* after;
        bool notice;
    };
    const Row rows[] = {
        {"default of an FTDI adapter", "16", true, "1", false},
        {"already low", "1", true, "1", false},
        {"lowest", "0", true, "0", false},
        {"may not be written", "16", false, "16", true},
        {"may not be written but low enough", "1", false, "1", false},
        {"not a number", "fast", true, "fast", false},
        {"no such attribute", nullptr, true, "<none>", false},
    };
    for (const Row& row : rows) {
        StandInSysfs sysfs;
        const std::string device = sysfs.Device("ttyUSB7");
        const std::string timer = row.stored ? sysfs.Timer("ttyUSB7", row.stored, row.writable)
                                             : sysfs.Root() + "/class/tty/ttyUSB7/device/latency_timer";
        const LowLatencyAdapter adapter(sysfs.Root());
        EXPECT_EQ(adapter.LatencyTimerPath(device), timer) << row.what;  // found through the by-id link
        std::string notice;
        {
            UnprivilegedFileAccess unprivileged;
            notice = adapter.Tune(-1, device);
        }
        EXPECT_EQ(StandInSysfs::Read(timer), row.after) << row.what;
        EXPECT_EQ(!notice.empty(), row.notice) << row.what << ": " << notice;
        if (row.notice) {
            // The value, and the command that changes it.
            EXPECT_NE(notice.find("up to 16 ms"), std::string::npos) << notice;
            EXPECT_NE(notice.find("echo 1 | sudo tee " + timer), std::string::npos) << notice;
            EXPECT_NE(notice.find("udev rule"), std::string::npos) << notice;
        }
    }
}

// Opening a pseudo-terminal as the port: it refuses the serial ioctls without a word, and a
// latency timer standing in for its name is handled as a real adapter's would be.
TEST(LowLatencyAdapter, ThePortTunesWhatItOpensAndSaysOnlyWhatMatters) {
    struct Row {
        const char* stored;
        bool writable;
        const char* after;
        bool notice;
    };
    const Row rows[] = {{nullptr, true, "<none>", false}, {"16", true, "1", false}, {"16", false, "16", true}};
    for (const Row& row : rows) {
        PseudoTerminal far;
        ::fchmod(far.Slave(), 0666);  // open to the unprivileged file access below
        StandInSysfs sysfs;
        const std::string name = far.SlavePath().substr(far.SlavePath().find_last_of('/') + 1);
        const std::string timer = row.stored ? sysfs.Timer(name, row.stored, row.writable) : "";
        TSerComm port(std::make_unique<TSerPosixDevice>(sysfs.Root()));
        port.SetDeviceName(far.SlavePath());
        port.SetUserBaudrate(10400);
        {
            UnprivilegedFileAccess unprivileged;
            ASSERT_NO_THROW(port.Open());
        }
        EXPECT_EQ(!port.OpenNotice().empty(), row.notice) << port.OpenNotice();
        if (row.stored) {
            EXPECT_EQ(StandInSysfs::Read(timer), row.after);
        }
        port.Close();
        EXPECT_TRUE(port.OpenNotice().empty());
    }
}

}  // namespace
