#pragma once

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "automation/BenchSession.h"
#include "settings/IniSettingsStore.h"
#include "support/LineClient.h"

// The console running in this process as an unattended bench would start it: hidden, on a
// virtual port (or on the port given), with a control socket and a trace file, and settings of
// its own. The program itself in a process of its own is ProgramRun's.
class BenchRun {
public:
    explicit BenchRun(const QString& port = {}) {
        EXPECT_TRUE(dir_.isValid());
        CommandLineOptions options;
        options.pty = port.isEmpty();
        options.port = port;
        options.ptyLink = options.pty ? dir_.filePath(QStringLiteral("kline")) : QString();
        options.control = QStringLiteral("unix:") + ControlPath();
        options.hidden = true;
        options.trace = dir_.filePath(QStringLiteral("trace.txt"));
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

    QString Ask(const char* line) { return control->Ask(QByteArray(line)); }

    // Sends the lines and expects "OK" for each.
    void Do(std::initializer_list<const char*> lines) {
        for (const char* line : lines) {
            EXPECT_EQ(Ask(line), "OK") << line;
        }
    }

    BenchSession& Session() { return *session_; }

    std::unique_ptr<LineClient> control;
    QStringList messages;

private:
    QTemporaryDir dir_;
    std::unique_ptr<BenchSession> session_;
    bool started_ = false;
};
