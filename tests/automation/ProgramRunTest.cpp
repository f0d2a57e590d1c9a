#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <signal.h>

#include "support/LineClient.h"

namespace {

// The program itself, started as an unattended bench would start it, with its settings in a
// folder of its own.
class ProgramRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());  // Qt would warn on standard error
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // --hidden picks the offscreen platform
        program.setProcessEnvironment(env);
    }

    void Start(const QStringList& args) {
        program.start(QStringLiteral(VORTA_TESTER_PATH), args);
        ASSERT_TRUE(program.waitForStarted(5000));
    }
    void Stop() {
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
    }

    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    QProcess program;
};

TEST_F(ProgramRunTest, HiddenOnAVirtualPortUntilQuit) {
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/nonexistent"), Path("kline")));  // left by an earlier run
    Start({"--hidden", "--port", "pty", "--pty-link", Path("kline"), "--control", "unix:" + Path("control.sock")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.canReadLine(); }, 20000)) << program.readAllStandardError().toStdString();
    const QString pty = QString::fromLocal8Bit(program.readLine()).trimmed();
    EXPECT_TRUE(pty.startsWith(QLatin1String("/dev/pts/"))) << pty.toStdString();
    EXPECT_EQ(QFileInfo(Path("kline")).symLinkTarget(), pty);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(Path("control.sock")); }, 5000));

    auto control = LineClient::Local(Path("control.sock"));
    EXPECT_EQ(control->Ask("click ignition"), "OK");
    QProcess tester;
    tester.start(QStringLiteral(KLINE_TESTER_PATH), {Path("kline"), "--p2max", "1000", "--to", "10", "81"});
    ASSERT_TRUE(tester.waitForFinished(20000));
    EXPECT_EQ(tester.exitCode(), 0) << tester.readAll().toStdString();

    EXPECT_EQ(control->Ask("quit"), "OK");
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(Path("kline")).isSymLink());  // removed at exit
    const QByteArray err = program.readAllStandardError();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
}

// An ELM327-like tester on protocol 5 (ISO 14230-4, fast init) against the program: the
// wake-up, StartCommunication at the functional address, mode 01 and 09 requests, and
// TesterPresent every 3 s as the adapter's keep-alive.
TEST_F(ProgramRunTest, ObdTesterOnTheFunctionalAddress) {
    Start({"--hidden", "--port", "pty", "--pty-link", Path("kline"), "--control", "unix:" + Path("control.sock"),
           "--obd", "off"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(Path("control.sock")); }, 20000));
    auto control = LineClient::Local(Path("control.sock"));
    for (const char* line : {"click ignition", "variant B7", "set rpm 2450", "set speed 87", "dtc 1 on"}) {
        ASSERT_EQ(control->Ask(line), "OK") << line;
    }
    auto tester = [&](const QStringList& args) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(KLINE_TESTER_PATH), QStringList{Path("kline"), "--functional", "--p2max", "1000"} + args);
        EXPECT_TRUE(process.waitForFinished(30000));
        return std::make_pair(process.exitCode(), QString::fromUtf8(process.readAll()));
    };
    // --obd off: B7 keeps quiet at 0x33 for this run
    EXPECT_EQ(control->Ask("get obd"), "OK off");
    auto [quiet, quietOut] = tester({"--wakeup", "--to", "33", "81"});
    EXPECT_EQ(quiet, 1);
    EXPECT_TRUE(quietOut.contains("<- no reply within 1000 ms")) << quietOut.toStdString();

    ASSERT_EQ(control->Ask("obd on"), "OK");
    auto [code, out] = tester({"--wakeup", "--decode", "obd", "--to", "33", "81", "--to", "33", "01", "00", "--to", "33",
                               "01", "0C", "--to", "33", "01", "0D"});
    EXPECT_EQ(code, 0) << out.toStdString();
    const char* seen[] = {
        "-> C1 33 F1 81 66\n<- 83 F1 10 C1 EF 8F C3  latency",  // the M7.9.7 keys, as at 0x10
        "-> C2 33 F1 01 00 E7\n<- 86 F1 10 41 00 A8 19 80 13 1C  latency",
        "   PIDs supported 01-20 01 03 05 0C 0D 10 11 1C 1F 20\n",
        "<- 84 F1 10 41 0C 26 48",
        "   engine speed 2450 rpm\n",
        "<- 83 F1 10 41 0D 57",
        "   vehicle speed 87 km/h\n",
    };
    for (const char* text : seen) {
        EXPECT_TRUE(out.contains(QLatin1String(text))) << text << "\n" << out.toStdString();
    }

    // The keep-alive, twice, 3 s apart: 81 F1 10 7E 00 each time.
    std::tie(code, out) = tester({"--to", "33", "3E", "--repeat", "2", "--interval", "3000"});
    EXPECT_EQ(code, 0) << out.toStdString();
    EXPECT_EQ(out.count(QLatin1String("<- 81 F1 10 7E 00  latency")), 2) << out.toStdString();

    // Answers of several frames: VIN, calibration ID, stored codes.
    std::tie(code, out) = tester({"--decode", "obd", "--to", "33", "09", "02", "--to", "33", "09", "04", "--to", "33", "03"});
    EXPECT_EQ(code, 0) << out.toStdString();
    for (const char* text : {"<- 87 F1 10 49 02 05 34 33 32 31", "   VIN XTA21104987654321\n",
                             "<- 87 F1 10 49 04 04 00 00 00 00", "   calibration ID B104CD21\n",
                             "<- 87 F1 10 43 01 02 00 00 00 00", "   stored codes P0102\n"}) {
        EXPECT_TRUE(out.contains(QLatin1String(text))) << text << "\n" << out.toStdString();
    }
    EXPECT_EQ(out.count(QLatin1String("<- 87 F1 10 49 02 0")), 5) << out.toStdString();

    // StopCommunication ends the session: the next keep-alive goes unanswered.
    std::tie(code, out) = tester({"--to", "33", "82", "--to", "33", "3E"});
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(out.contains("-> C1 33 F1 82 67\n<- 81 F1 10 C2 44  latency")) << out.toStdString();
    EXPECT_TRUE(out.contains("-> C1 33 F1 3E 23\n<- no reply within 1000 ms")) << out.toStdString();

    EXPECT_EQ(control->Ask("quit"), "OK");
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(program.exitCode(), 0);
    const QByteArray err = program.readAllStandardError();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
}

TEST_F(ProgramRunTest, StopSignalStillRemovesTheLink) {
    Start({"--hidden", "--port", "pty", "--pty-link", Path("kline")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.canReadLine(); }, 20000));
    ASSERT_TRUE(QFileInfo(Path("kline")).isSymLink());
    Stop();
    EXPECT_FALSE(QFileInfo(Path("kline")).isSymLink());
}

TEST_F(ProgramRunTest, HiddenPortErrorIsOneLineAndTheRunGoesOn) {
    Start({"--hidden", "--port", Path("no-such-tty")});
    QByteArray err;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (err += program.readAllStandardError()).endsWith('\n'); }, 20000));
    EXPECT_EQ(program.state(), QProcess::Running);
    Stop();
    err += program.readAllStandardError();
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("no-such-tty")) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path("config")));  // the port given stores nothing
}

TEST_F(ProgramRunTest, TraceThatCannotBeWrittenIsOneLineAndTheLinkGoesOn) {
    if (!QFileInfo::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "no /dev/full here";
    Start({"--hidden", "--port", "pty", "--pty-link", Path("kline"), "--control", "unix:" + Path("control.sock"),
           "--trace", "/dev/full"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.canReadLine(); }, 20000)) << program.readAllStandardError().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(Path("control.sock")); }, 5000));
    auto control = LineClient::Local(Path("control.sock"));
    EXPECT_EQ(control->Ask("click ignition"), "OK");
    QProcess tester;
    tester.start(QStringLiteral(KLINE_TESTER_PATH),
                 {Path("kline"), "--p2max", "1000", "--to", "10", "81", "--to", "10", "3E", "--repeat", "3"});
    ASSERT_TRUE(tester.waitForFinished(20000));
    EXPECT_EQ(tester.exitCode(), 0) << tester.readAll().toStdString();
    EXPECT_EQ(control->Ask("quit"), "OK");  // the control interface still answers too
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(program.exitCode(), 0);
    const QByteArray err = program.readAllStandardError();
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    EXPECT_TRUE(err.startsWith("cannot write trace file /dev/full: ")) << err.toStdString();
}

TEST_F(ProgramRunTest, RefusedStartsSayWhyAndEndAtOnce) {
    QFile plain(Path("taken"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    struct Row {
        QStringList args;
        int exitCode;
        const char* says;
    };
    const Row rows[] = {
        {{"--hidden", "--port", "pty", "--control", "192.168.1.1:5555"}, 1, "only loopback addresses"},
        {{"--hidden", "--port", "pty", "--control", "example.org:5555"}, 1, "only loopback addresses"},
        {{"--hidden", "--port", "pty", "--trace", Path("none/trace.txt")}, 1, "cannot open trace file"},
        {{"--hidden", "--port", "pty", "--pty-link", Path("taken")}, 1, "a file of that name exists"},
        {{"--pty-link", "/tmp/x"}, 2, "goes with '--port pty'"},
        {{"--frobnicate"}, 2, "Unknown option"},
    };
    for (const auto& row : rows) {
        Start(row.args);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitCode(), row.exitCode) << row.says;
        EXPECT_TRUE(program.readAllStandardError().contains(row.says)) << row.says;
    }
    EXPECT_TRUE(QFileInfo(Path("taken")).isFile());  // the plain file was left alone
    Start({"--version"});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.readAllStandardOutput().trimmed(), "vorta-tester " VORTA_VERSION);
}

}  // namespace
