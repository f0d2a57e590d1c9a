#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "console/BenchSession.h"
#include "console/IniSettingsStore.h"
#include "console/TForm1.h"

namespace {

class BenchSessionTest : public ::testing::Test {
protected:
    bool Start(BenchSession& session, QString* error) {
        return session.Start(error, std::make_unique<IniSettingsStore>(dir.filePath(QStringLiteral("settings.ini"))));
    }
    CommandLineOptions Hidden() {
        CommandLineOptions options;
        options.hidden = true;
        return options;
    }

    QTemporaryDir dir;
    QStringList messages;
};

TEST_F(BenchSessionTest, HiddenRunReportsAPortErrorAsALineAndRuns) {
    CommandLineOptions options = Hidden();
    options.port = dir.filePath(QStringLiteral("no-such-tty"));
    BenchSession session(options, [this](const QString& m) { messages << m; });
    QString error;
    ASSERT_TRUE(Start(session, &error)) << error.toStdString();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QLatin1String("no-such-tty"))) << messages[0].toStdString();
    EXPECT_FALSE(session.Form().isVisible());
}

TEST_F(BenchSessionTest, WhatCannotBeMadeStopsTheStart) {
    const QString file = dir.filePath(QStringLiteral("taken"));
    QFile taken(file);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    struct Row {
        const char* what;
        QString trace;
        QString link;
        const char* reason;
    };
    const Row rows[] = {
        {"trace in a missing folder", dir.filePath(QStringLiteral("none/trace.txt")), {}, "cannot open trace file"},
        {"link over a plain file", {}, file, "a file of that name exists"},
    };
    for (const auto& row : rows) {
        CommandLineOptions options = Hidden();
        options.pty = true;
        options.trace = row.trace;
        options.ptyLink = row.link;
        BenchSession session(options, [this](const QString& m) { messages << m; });
        QString error;
        EXPECT_FALSE(Start(session, &error)) << row.what;
        EXPECT_TRUE(error.contains(QLatin1String(row.reason))) << row.what << ": " << error.toStdString();
    }
    EXPECT_TRUE(QFileInfo(file).isFile());  // the plain file was left alone
}

TEST_F(BenchSessionTest, AStaleLinkIsReplacedAndTheLinkGoesAtTheEnd) {
    const QString link = dir.filePath(QStringLiteral("kline"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/nonexistent"), link));
    CommandLineOptions options = Hidden();
    options.pty = true;
    options.ptyLink = link;
    {
        BenchSession session(options, [this](const QString& m) { messages << m; });
        QString error;
        ASSERT_TRUE(Start(session, &error)) << error.toStdString();
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), session.PseudoTerminalPath());
    }
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

}  // namespace
