#include <gtest/gtest.h>

#include "automation/ControlCommand.h"
#include "console/ControlTable.h"
#include "support/QtPrinters.h"

namespace {

ControlCommand Parsed(const QString& line) {
    QString error;
    const auto command = ControlCommand::Parse(line, &error);
    EXPECT_TRUE(command.has_value()) << line.toStdString() << ": " << error.toStdString();
    return command.value_or(ControlCommand{});
}

QString Refusal(const QString& line) {
    QString error;
    EXPECT_FALSE(ControlCommand::Parse(line, &error).has_value()) << line.toStdString();
    return error;
}

// Every word of the control table reaches its meaning, and only the settable values are set.
TEST(ControlWords, EveryTableWordReachesItsMeaning) {
    for (const ControlTable::ValueRow& row : ControlTable::kValues) {
        const QString word = QString::fromLatin1(row.word);
        const ControlCommand get = Parsed("get " + word);
        EXPECT_EQ(get.kind, ControlCommand::Kind::Get) << row.word;
        EXPECT_EQ(get.query, ControlQuery::Mirror) << row.word;
        EXPECT_EQ(get.mirror, row.mirror) << row.word;
        if (row.settable) {
            const ControlCommand set = Parsed("set " + word + " 1.5");
            EXPECT_EQ(set.kind, ControlCommand::Kind::Set) << row.word;
            EXPECT_EQ(set.mirror, row.mirror) << row.word;
        } else {
            EXPECT_TRUE(Refusal("set " + word + " 1.5").startsWith("unknown parameter")) << row.word;
        }
    }
    for (const ControlTable::ButtonRow& row : ControlTable::kButtons) {
        const ControlCommand click = Parsed(QStringLiteral("click ") + row.word);
        EXPECT_EQ(click.kind, ControlCommand::Kind::Click) << row.word;
        EXPECT_EQ(click.button, row.button) << row.word;
    }
    for (const ControlTable::LampRow& row : ControlTable::kLamps) {
        const ControlCommand get = Parsed(QStringLiteral("get lamp ") + row.name);
        EXPECT_EQ(get.query, ControlQuery::Lamp) << row.name;
        EXPECT_EQ(get.lamp, row.lamp) << row.name;
    }
    for (const ControlTable::IdentRow& row : ControlTable::kIdents) {
        for (const QString& option : {QString::fromLatin1(row.option), QString::fromLatin1(row.option).toLower()}) {
            EXPECT_EQ(Parsed("get ident " + option).ident, row.field) << row.option;
            const ControlCommand set = Parsed("ident " + option + " X Y");
            EXPECT_EQ(set.ident, row.field) << row.option;
            EXPECT_EQ(set.text, "X Y") << row.option;
        }
    }
}

// What the parser refuses, and why: the lists of choices word for word in table order, the
// usage, the ranges of the numbers. A refused line changes nothing, as nothing was carried out.
TEST(ControlWords, RefusalsSayWhy) {
    const std::pair<const char*, const char*> rows[] = {
        {"set consumption 3",
         "unknown parameter 'consumption', one of: speed coolant rpm throttle idle-valve fuel-flow air-flow voltage "
         "idle-rpm injection"},  // derived, not settable
        {"click horn", "unknown button 'horn', one of: ignition engine ignition-2 engine-2 trip curve clear-dtc"},
        {"get ident 93", "unknown identification option '93', one of: 90 91 92 94 97 99 9A"},
        {"ident 9B text", "unknown identification option '9B', one of: 90 91 92 94 97 99 9A"},
        {"variant ja5", "unknown controller type 'ja5', one of: Ja5 B1 Ja7 B7 BMP b17"},
        {"get lamp ESUDCONTROL3ON", "unknown lamp 'ESUDCONTROL3ON', one of: UiLED1 UiLED2 UiLED3 UiLED4 UiLED5 "
                                    "ESUDCONTROL1ON ESUDCONTROL1OFF ESUDCONTROL2ON ESUDCONTROL2OFF ESUDCONTROL5ON "
                                    "ESUDCONTROL5OFF ESUDCONTROL6ON ESUDCONTROL6OFF ESUDCONTROL7ON ESUDCONTROL7OFF "
                                    "ESUDCONTROL8ON ESUDCONTROL8OFF"},
        {"get lamp UiLED6", "unknown lamp"}, {"", "empty"}, {"launch", "unknown command"},
        {"SET speed 3", "unknown command"}, {"set speed", "usage"}, {"set speed 1 2", "usage"},
        {"set warp 3", "unknown parameter"}, {"set speed 0x10", "bad number"}, {"get", "usage"},
        {"get warp", "nothing to get"}, {"get speed now", "usage"}, {"get ident", "usage"}, {"variant", "usage"},
        {"dtc 0 on", "bad trouble-code index"}, {"dtc x on", "bad trouble-code index"}, {"dtc 5 yes", "usage"},
        {"quit now", "usage"}, {"clear", "usage"}, {"clear dtc", "nothing to clear"}, {"get report now", "usage"},
        {"obd", "usage: obd on|off"}, {"obd yes", "usage: obd on|off"}, {"obd on off", "usage: obd on|off"},
        {"get obd now", "usage"}, {"framing", "usage"}, {"framing long", "unknown framing 'long'"},
        {"framing real now", "usage"}, {"timing", "usage: timing P2 P1"}, {"timing 25", "usage: timing P2 P1"},
        {"timing 25 0 1", "usage: timing P2 P1"}, {"timing 5001 0", "bad P2 '5001', 0 to 5000 ms"},
        {"timing 25 21", "bad P1 '21', 0 to 20 ms"}, {"timing 25 x", "bad P1"}, {"get timing now", "usage"},
        {"fault", "usage"}, {"fault loud", "unknown fault 'loud'"}, {"fault delay", "usage"},
        {"fault delay 1.5", "bad delay"}, {"fault pending", "usage: fault pending MS"},
        {"fault pending 5001", "bad pending '5001', 0 to 5000 ms"}, {"fault gap 1001", "bad gap"},
        {"fault gap 5 5", "usage: fault gap MS"}, {"fault busy -1", "bad busy"}, {"fault drop 1001", "bad drop"},
        {"help warp", "unknown command 'warp', one of: set get click variant dtc ident fault obd slowinit framing "
                      "timing clear cycle help quit"},
        {"ident 90", "usage: ident OPTION TEXT (ident 90 \"\" clears it)"},
        {"obd protocols fast;slow", "bad protocol list 'fast;slow', a comma-separated list of fast, slow and iso9141"},
        {"obd protocols", "usage: obd protocols LIST"},
        {"get obd protocol", "usage: get obd [protocols]"},
        {"slowinit yes", "usage: slowinit on|off"},
        {"timing w4 5001", "bad w4 '5001', 0 to 5000 ms"},
        {"timing w1", "usage: timing w1|w4 MS"},
    };
    for (const auto& [line, reason] : rows) {
        const QString refusal = Refusal(line);
        EXPECT_TRUE(refusal.contains(QLatin1String(reason))) << '"' << line << "\" gave: " << refusal.toStdString();
    }
}

// The figures read off a device: two required, three optional, the time also as a clock;
// a path keeps its blanks.
TEST(ControlWords, CycleFiguresAndPaths) {
    const ControlCommand all = Parsed("cycle device fuel=0.75 distance=11.0 avg-speed=33.6 avg-consumption=6.8 time=0:19:40");
    EXPECT_EQ(all.kind, ControlCommand::Kind::CycleDevice);
    EXPECT_DOUBLE_EQ(all.figures.distanceKm, 11.0);
    EXPECT_DOUBLE_EQ(all.figures.fuelL, 0.75);
    EXPECT_EQ(all.figures.averageSpeedKmh, 33.6);
    EXPECT_EQ(all.figures.averageConsumption, 6.8);
    EXPECT_EQ(all.figures.travelTimeS, 1180.0);
    EXPECT_FALSE(Parsed("cycle device distance=1 fuel=2").figures.travelTimeS.has_value());
    EXPECT_EQ(Parsed("cycle start  my cycles/a b.csv ").text, "my cycles/a b.csv");
    EXPECT_EQ(Parsed("cycle report /tmp/r.pdf").kind, ControlCommand::Kind::CycleReport);
    const std::pair<const char*, const char*> refused[] = {
        {"cycle device fuel=1", "usage: cycle device distance=KM fuel=L"},
        {"cycle device distance=1,5 fuel=1", "bad figure 'distance=1,5'"},
        {"cycle device distance=1 fuel=-1", "bad figure 'fuel=-1'"},
        {"cycle device distance=1 fuel=1 odometer=3", "unknown figure 'odometer'"},
        {"cycle start", "usage: cycle start NAME|PATH"}, {"cycle list all", "usage: cycle list"},
    };
    for (const auto& [line, refusal] : refused) {
        EXPECT_TRUE(Refusal(line).startsWith(refusal)) << line << ": " << Refusal(line).toStdString();
    }
}

// Numbers from outside reach the instrument only finite and inside its range; a refusal says
// what the instrument takes. The ranges here stand in for the instruments'.
TEST(ControlWords, SetTakesOnlyNumbersInsideTheInstrumentsRange) {
    const ValueRangeOf ranges = [](Mirror mirror) {
        return mirror == Mirror::Voltage ? ValueRange{5.2f, 17.9f} : ValueRange{0, 250};
    };
    const char* const voltage = "voltage takes a number from 5.2 to 17.9 В";
    const char* const speed = "speed takes a number from 0 to 250 км/ч";
    const std::pair<const char*, const char*> rows[] = {  // line, refusal (nullptr: taken)
        {"set speed 60", nullptr}, {"set speed 0", nullptr}, {"set speed 250", nullptr},
        {"set speed 2.5e2", nullptr},
        // 5.19999981 and 17.8999996 in single precision: the ends as written are in
        {"set voltage 5.2", nullptr}, {"set voltage 17.9", nullptr},
        {"set speed 250.001", "'250.001' is out of range: %1"}, {"set speed -0.5", "'-0.5' is out of range: %1"},
        {"set speed 1e300", "'1e300' is out of range: %1"}, {"set speed -1e300", "'-1e300' is out of range: %1"},
        {"set speed 1e999", "bad number '1e999': %1"}, {"set speed abc", "bad number 'abc': %1"},
        {"set speed nan", "bad number 'nan': %1"}, {"set speed -inf", "bad number '-inf': %1"},
        {"set speed 6,5", "bad number '6,5': %1"}, {"set voltage 17.91", "'17.91' is out of range: %2"},
        {"set voltage 5.1", "'5.1' is out of range: %2"},
    };
    for (const auto& [line, refusal] : rows) {
        QString error;
        const auto command = ControlCommand::Parse(QString::fromUtf8(line), &error, ranges);
        EXPECT_EQ(command.has_value(), refusal == nullptr) << line << ": " << error.toStdString();
        if (refusal == nullptr) continue;
        EXPECT_EQ(error, QString::fromUtf8(refusal)
                             .replace(QLatin1String("%1"), QString::fromUtf8(speed))
                             .replace(QLatin1String("%2"), QString::fromUtf8(voltage)))
            << line;
    }
    // Without the instruments at hand the range is left to them; the number is still checked.
    EXPECT_EQ(Refusal("set speed abc"), "bad number 'abc': speed takes a number");
    // The other numbers are whole and carry their range in the parser.
    const std::pair<const char*, const char*> others[] = {
        {"timing 99999999999 0", "bad P2 '99999999999', 0 to 5000 ms"},
        {"timing 25 4294967316", "bad P1 '4294967316', 0 to 20 ms"}, {"timing -1 0", "bad P2 '-1', 0 to 5000 ms"},
        {"fault delay 5001", "bad delay '5001', 0 to 5000 ms"}, {"fault gap 1e3", "bad gap '1e3', 0 to 1000 ms"},
        {"fault busy 0", "bad busy '0', 1 to 1000 replies"}, {"fault drop 1", "bad drop '1', 2 to 1000"},
        {"fault pending 2147483648", "bad pending '2147483648', 0 to 5000 ms"},
        {"dtc 99999999999 on", "bad trouble-code index '99999999999'"},
    };
    for (const auto& [line, refusal] : others) {
        EXPECT_EQ(Refusal(line), refusal) << line;
    }
}

// "help" lists every command the parser takes, from the same table; "help WORD" tells one.
TEST(ControlWords, HelpListsEveryCommandItParses) {
    const ControlCommand help = Parsed("help");
    ASSERT_EQ(help.kind, ControlCommand::Kind::Help);
    const QStringList entries = help.text.split(QStringLiteral("; "));
    ASSERT_EQ(entries.size(), 15) << help.text.toStdString();
    for (const QString& entry : entries) {
        const QString word = entry.section(' ', 0, 0);
        const ControlCommand one = Parsed("help " + word);
        EXPECT_TRUE(one.text.startsWith(entry)) << one.text.toStdString();
        QString error;
        ControlCommand::Parse(word + " no-such-argument at-all x", &error);
        EXPECT_FALSE(error.startsWith(QLatin1String("unknown command"))) << word.toStdString();
    }
    const std::pair<const char*, const char*> details[] = {
        {"help set", "set PARAM VALUE - sets an engine value as its instrument would, a number inside the "
                     "instrument's range; PARAM one of: speed coolant rpm throttle idle-valve fuel-flow air-flow "
                     "voltage idle-rpm injection"},
        {"help ident", "ident OPTION TEXT - sets an identification text (\"\" as TEXT clears it); OPTION one of: 90 "
                       "91 92 94 97 99 9A"},
        {"help quit", "quit - ends the program"},
    };
    for (const auto& [line, text] : details) {
        EXPECT_EQ(Parsed(line).text, QString::fromUtf8(text)) << line;
    }
    const QString get = Parsed("help get").text;
    for (const char* what : {"consumption", "ignition", "engine", "report", "ident OPTION", "ESUDCONTROL8OFF"}) {
        EXPECT_TRUE(get.contains(QLatin1String(what))) << what << " in " << get.toStdString();
    }
}

}  // namespace
