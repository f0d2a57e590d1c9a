#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <signal.h>

#include "console/LineClient.h"

namespace {

// The program itself, started as an unattended bench would start it.
class ProgramRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // --hidden picks the offscreen platform
        program.setProcessEnvironment(env);
    }

    void Start(const QStringList& args) {
        program.start(QStringLiteral(VORTA_TESTER_PATH), args);
        ASSERT_TRUE(program.waitForStarted(5000));
    }

    QString Link() const { return dir.filePath(QStringLiteral("kline")); }
    QString Socket() const { return dir.filePath(QStringLiteral("control.sock")); }

    QTemporaryDir dir;
    QProcess program;
};

TEST_F(ProgramRunTest, HiddenOnAVirtualPortUntilQuit) {
    Start({"--hidden", "--port", "pty", "--pty-link", Link(), "--control", "unix:" + Socket()});
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.canReadLine(); }, 20000)) << program.readAllStandardError().toStdString();
    const QString pty = QString::fromLocal8Bit(program.readLine()).trimmed();
    EXPECT_TRUE(pty.startsWith(QLatin1String("/dev/pts/"))) << pty.toStdString();
    EXPECT_EQ(QFileInfo(Link()).symLinkTarget(), pty);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(Socket()); }, 5000));

    auto control = LineClient::Local(Socket());
    EXPECT_EQ(control->Ask("click ignition"), "OK");
    QProcess tester;
    tester.start(QStringLiteral(KLINE_TESTER_PATH), {Link(), "--to", "10", "81"});
    ASSERT_TRUE(tester.waitForFinished(20000));
    EXPECT_EQ(tester.exitCode(), 0) << tester.readAll().toStdString();

    EXPECT_EQ(control->Ask("quit"), "OK");
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(Link()).isSymLink());  // removed at exit
}

TEST_F(ProgramRunTest, StopSignalStillRemovesTheLink) {
    Start({"--hidden", "--port", "pty", "--pty-link", Link()});
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.canReadLine(); }, 20000));
    ASSERT_TRUE(QFileInfo(Link()).isSymLink());
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_FALSE(QFileInfo(Link()).isSymLink());
}

TEST_F(ProgramRunTest, RefusedStartsSayWhyAndEndAtOnce) {
    struct Row {
        QStringList args;
        int exitCode;
        const char* says;
    };
    const Row rows[] = {
        {{"--hidden", "--port", "pty", "--control", "192.168.1.1:5555"}, 1, "only loopback addresses"},
        {{"--pty-link", "/tmp/x"}, 2, "goes with '--port pty'"},
        {{"--frobnicate"}, 2, "Unknown option"},
    };
    for (const auto& row : rows) {
        Start(row.args);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitCode(), row.exitCode) << row.says;
        EXPECT_TRUE(program.readAllStandardError().contains(row.says)) << row.says;
    }
    Start({"--version"});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.readAllStandardOutput().trimmed(), "vorta-tester 1.6");
}

}  // namespace
