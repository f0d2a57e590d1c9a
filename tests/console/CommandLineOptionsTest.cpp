#include "console/CommandLineOptions.h"

#include <gtest/gtest.h>

namespace {

CommandLineOptions::Parsed Parse(QStringList args) {
    args.prepend(QStringLiteral("vorta-tester"));
    return CommandLineOptions::Parse(args);
}

TEST(CommandLineOptionsTest, NothingGivenRunsWithTheStoredPort) {
    const auto parsed = Parse({});
    ASSERT_EQ(parsed.action, CommandLineOptions::Action::Run);
    EXPECT_TRUE(parsed.options.port.isEmpty());
    EXPECT_FALSE(parsed.options.pty);
    EXPECT_TRUE(parsed.options.echo);
    EXPECT_FALSE(parsed.options.hidden);
}

TEST(CommandLineOptionsTest, ReadsEveryOption) {
    const auto parsed = Parse({"--port", "pty", "--pty-link", "/tmp/kline", "--no-echo",
                               "--control", "unix:/tmp/c.sock", "--hidden", "--trace=/tmp/t.txt"});
    ASSERT_EQ(parsed.action, CommandLineOptions::Action::Run) << parsed.text.toStdString();
    const auto& o = parsed.options;
    EXPECT_TRUE(o.pty);
    EXPECT_TRUE(o.port.isEmpty());
    EXPECT_EQ(o.ptyLink, "/tmp/kline");
    EXPECT_FALSE(o.echo);
    EXPECT_EQ(o.control, "unix:/tmp/c.sock");
    EXPECT_TRUE(o.hidden);
    EXPECT_EQ(o.trace, "/tmp/t.txt");

    const auto device = Parse({"--port", "/dev/ttyUSB0"});
    ASSERT_EQ(device.action, CommandLineOptions::Action::Run);
    EXPECT_EQ(device.options.port, "/dev/ttyUSB0");
    EXPECT_FALSE(device.options.pty);
}

TEST(CommandLineOptionsTest, HelpAndVersionAreAnsweredNotRun) {
    const auto help = Parse({"--help"});
    EXPECT_EQ(help.action, CommandLineOptions::Action::ShowHelp);
    EXPECT_TRUE(help.text.contains(QLatin1String("--pty-link")));
    EXPECT_EQ(Parse({"--version"}).action, CommandLineOptions::Action::ShowVersion);
}

TEST(CommandLineOptionsTest, RefusesWhatCannotWork) {
    const QStringList rows[] = {
        {"--bogus"},
        {"--port"},
        {"--port", ""},
        {"--pty-link", "/tmp/x"},  // a link needs the virtual port
        {"--port", "/dev/ttyS0", "--pty-link", "/tmp/x"},
        {"--control", ""},
        {"--trace", ""},
        {"--port", "a", "--port", "b"},
        {"stray"},
    };
    for (const auto& row : rows) {
        const auto parsed = Parse(row);
        EXPECT_EQ(parsed.action, CommandLineOptions::Action::Fail) << row.join(' ').toStdString();
        EXPECT_FALSE(parsed.text.isEmpty());
    }
}

}  // namespace
