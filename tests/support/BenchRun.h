#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

#include "automation/BenchLinkTap.h"
#include "automation/BenchSession.h"
#include "settings/IniSettingsStore.h"
#include "support/LineClient.h"

// The console running in this process as an unattended bench would start it: hidden, on a
// virtual port, with a control socket and a trace file, and settings of its own.
class BenchRun {
public:
    // adjust changes the command line before the start; settingsIni is the stored settings.
    explicit BenchRun(bool echo = true, const std::function<void(CommandLineOptions&)>& adjust = {},
                      const QByteArray& settingsIni = {}) {
        EXPECT_TRUE(dir_.isValid());
        if (!settingsIni.isEmpty()) {
            QFile ini(dir_.filePath(QStringLiteral("settings.ini")));
            EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
            ini.write(settingsIni);
        }
        CommandLineOptions options;
        options.pty = true;
        options.echo = echo;
        options.ptyLink = dir_.filePath(QStringLiteral("kline"));
        options.control = QStringLiteral("unix:") + ControlPath();
        options.hidden = true;
        options.trace = TracePath();
        if (adjust) adjust(options);
        session_ = std::make_unique<BenchSession>(options, [this](const QString& line) { messages << line; });
        QString error;
        started_ = session_->Start(
            &error, std::make_unique<IniSettingsStore>(dir_.filePath(QStringLiteral("settings.ini"))));
        EXPECT_TRUE(started_) << error.toStdString();
        if (started_) {
            control = LineClient::Local(ControlPath());
        }
    }

    bool Started() const { return started_; }
    QString ControlPath() const { return dir_.filePath(QStringLiteral("control.sock")); }
    QString TesterPort() const { return dir_.filePath(QStringLiteral("kline")); }
    QString TracePath() const { return dir_.filePath(QStringLiteral("trace.txt")); }

    QString Ask(const char* line) { return control->Ask(QByteArray(line)); }

    // Sends the lines and expects "OK" for each.
    void Do(std::initializer_list<const char*> lines) {
        for (const char* line : lines) {
            EXPECT_EQ(Ask(line), "OK") << line;
        }
    }

    QStringList TraceLines() const {
        QFile file(TracePath());
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    struct TesterRun {
        int exitCode = -1;
        QString out;
    };

    // How long kline-tester waits for a reply unless a test says otherwise: this process
    // serves the link and the test at once, and a loaded machine may keep it from either.
    static constexpr int kReplyDeadlineMs = 1000;

    // Runs kline-tester against the virtual port while this process keeps serving the link.
    TesterRun Tester(const QStringList& args) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        QStringList all{TesterPort()};
        if (!args.contains(QStringLiteral("--p2max"))) {
            all << QStringLiteral("--p2max") << QString::number(kReplyDeadlineMs);
        }
        process.start(QStringLiteral(KLINE_TESTER_PATH), all + args);
        TesterRun run;
        if (!process.waitForStarted(5000)) {
            run.out = QStringLiteral("kline-tester did not start");
            return run;
        }
        const bool finished = QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000);
        if (!finished) process.kill();
        process.waitForFinished(1000);
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAll());
        return run;
    }

    // Replies the reply-fault queue still holds back.
    int PendingReplies() { return session_->Tap().Faults().PendingFrames(); }

    std::unique_ptr<LineClient> control;
    QStringList messages;

private:
    QTemporaryDir dir_;
    std::unique_ptr<BenchSession> session_;
    bool started_ = false;
};
