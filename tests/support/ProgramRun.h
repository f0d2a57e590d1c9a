#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "support/LineClient.h"

// What a kline-tester run printed, standard error with it, and how it ended (-1: it crashed
// or had to be killed).
struct KLineTesterRun {
    int exitCode = -1;
    QString out;
};

// kline-tester against a port, in a process of its own, listening for a reply for a second
// unless told otherwise: the program answering may share a loaded machine.
inline KLineTesterRun RunKLineTester(const QString& port, QStringList args) {
    if (!args.contains(QStringLiteral("--p2max"))) args << QStringLiteral("--p2max") << QStringLiteral("1000");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(KLINE_TESTER_PATH), QStringList{port} + args);
    KLineTesterRun run;
    const bool finished = process.waitForFinished(60000);
    if (!finished) process.kill();
    process.waitForFinished(1000);
    run.exitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAll());
    return run;
}

// The program itself, started as an unattended bench would start it: its settings, its
// virtual port's link, its control socket and its trace in a folder of the run's own.
class ProgramRun {
public:
    ProgramRun() {
        EXPECT_TRUE(dir_.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path("config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());  // Qt would warn on standard error
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // --hidden picks the offscreen platform
        program.setProcessEnvironment(env);
    }

    QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    // The hidden bench on a virtual port with a control socket, and a trace file.
    QStringList BenchArgs(bool trace) const {
        QStringList args{"--hidden", "--port", "pty", "--pty-link", Path("kline"), "--control",
                         "unix:" + Path("control.sock")};
        return trace ? args << "--trace" << Path("trace.txt") : args;
    }

    void StoreSettings(const QByteArray& ini) {
        QDir().mkpath(Path("config"));
        QFile file(Path("config/MK-Vorta-Tester_Registrids.ini"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ini);
    }

    bool Start(const QStringList& args) {
        program.start(QStringLiteral(VORTA_TESTER_PATH), args);
        return program.waitForStarted(5000);
    }
    // The virtual port named on standard output, then the control socket connected.
    bool Connect() {
        if (!QTest::qWaitFor([&] { return program.canReadLine(); }, 20000)) return false;
        if (!QTest::qWaitFor([&] { return QFileInfo::exists(Path("control.sock")); }, 5000)) return false;
        control = LineClient::Local(Path("control.sock"));
        return true;
    }
    QString Ask(const QString& line) { return control->Ask(line.toUtf8()); }
    KLineTesterRun Tester(const QStringList& args) { return RunKLineTester(Path("kline"), args); }
    bool Finished() {
        return QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 20000) &&
               program.exitStatus() == QProcess::NormalExit;
    }

    QProcess program;
    std::unique_ptr<LineClient> control;

private:
    QTemporaryDir dir_;
};
