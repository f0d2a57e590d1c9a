#include "automation/CommandLineOptions.h"

#include <gtest/gtest.h>

#include "support/QtPrinters.h"

namespace {

CommandLineOptions::Parsed Parse(QStringList args) {
    args.prepend(QStringLiteral("vorta-tester"));
    return CommandLineOptions::Parse(args);
}

// The program's own runs read --port, --pty-link, --control, --hidden, --trace and --no-echo;
// these are the defaults and what no run shows.
TEST(CommandLineOptionsTest, DefaultsEchoOffAndHelp) {
    const auto none = Parse({});
    ASSERT_EQ(none.action, CommandLineOptions::Action::Run);
    EXPECT_TRUE(none.options.port.isEmpty());
    EXPECT_FALSE(none.options.pty);
    EXPECT_TRUE(none.options.echo);
    EXPECT_FALSE(none.options.hidden);
    EXPECT_FALSE(none.options.obd.has_value());  // as the settings hold
    EXPECT_EQ(Parse({"--obd", "on"}).options.obd, std::optional<bool>(true));
    EXPECT_EQ(Parse({"--obd=off"}).options.obd, std::optional<bool>(false));
    EXPECT_FALSE(none.options.framing.has_value());  // the stored choice per type stands
    const auto real = Parse({"--framing", "real"});
    ASSERT_EQ(real.action, CommandLineOptions::Action::Run) << real.text.toStdString();
    EXPECT_EQ(real.options.framing, ReplyFraming::Real);
    EXPECT_EQ(Parse({"--framing=compact"}).options.framing, ReplyFraming::Compact);
    EXPECT_FALSE(none.options.p2Ms.has_value());  // the stored times stand
    const auto timed = Parse({"--p2", "5000", "--p1=20"});
    ASSERT_EQ(timed.action, CommandLineOptions::Action::Run) << timed.text.toStdString();
    EXPECT_EQ(timed.options.p2Ms, 5000);
    EXPECT_EQ(timed.options.p1Ms, 20);
    EXPECT_EQ(Parse({"--p1", "0"}).options.p1Ms, 0);
    EXPECT_EQ(Parse({"--slow-init", "on"}).options.slowInit, std::optional<bool>(true));
    const auto protocols = Parse({"--obd-protocols", "iso9141,fast"}).options.obdProtocols;
    ASSERT_TRUE(protocols);
    EXPECT_EQ(protocols->Text(), "fast,iso9141");
    EXPECT_EQ(Parse({"--help"}).action, CommandLineOptions::Action::ShowHelp);
    // The manual page is made from this text: its usage line names the program, not a path.
    const auto installed = CommandLineOptions::Parse({QStringLiteral("/usr/bin/vorta-tester"), QStringLiteral("-h")});
    EXPECT_TRUE(installed.text.startsWith(QLatin1String("Usage: vorta-tester [options]\n"))) << installed.text.toStdString();
}

TEST(CommandLineOptionsTest, RefusesWhatCannotWork) {
    const QStringList rows[] = {
        {"--port"}, {"--port", ""}, {"--control", ""}, {"--trace", ""}, {"--port", "a", "--port", "b"},
        {"--port", "/dev/ttyS0", "--pty-link", "/tmp/x"},  // a link needs the virtual port
        {"--obd"}, {"--obd", "yes"}, {"--obd", "On"}, {"--obd", "on", "--obd", "off"}, {"stray"},
        {"--framing", "long"}, {"--framing", ""}, {"--framing", "real", "--framing", "compact"},
        {"--p2", "5001"}, {"--p2", "-1"}, {"--p2", "25ms"}, {"--p1", "21"}, {"--p1", ""}, {"--p2", "1e3"},
        {"--p2", "25", "--p2", "30"},
        // beyond any integer the time is kept in; 20 in its low 32 bits
        {"--p2", "99999999999"}, {"--p1", "4294967316"}, {"--slow-init", "yes"},
        {"--obd-protocols", ""}, {"--obd-protocols", "fast,,slow"}, {"--obd-protocols", "fast,fast"},
        {"--obd-protocols", "kwp"},
    };
    for (const auto& row : rows) {
        const auto parsed = Parse(row);
        EXPECT_EQ(parsed.action, CommandLineOptions::Action::Fail) << row.join(' ').toStdString();
        EXPECT_FALSE(parsed.text.isEmpty());
    }
}

}  // namespace
