#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <signal.h>
#include <vector>

#include "support/BenchRun.h"
#include "support/ProgramRun.h"
#include "support/QtPrinters.h"

namespace {

// One step of a scenario against the running program.
//   control line        the answer: exactly `expect`; "~a|b": holding a and b; "/re": matching re.
//                       "set NAME V" with an answer "OK X": set answers OK, and get NAME then X.
//   "until " + line     the line asked again until its answer is as expected (at most 10 s).
//   "$ ARGS"            kline-tester on the virtual port: "CODE|a|b" its exit code and what it
//                       printed; ">=MS" among them: the last reply came at least MS after its request;
//                       ">=LABEL MS": the last figure printed after LABEL is at least MS.
//   "@trace"            the trace shows `expect`'s lines ("RX 00|TX 83 …") in that order (waited for).
struct Step {
    QString line;
    QString expect;
};

struct Scenario {
    const char* what;
    QStringList args;  // beside the bench's own
    QByteArray ini;    // the stored settings
    std::vector<Step> steps;
    bool stopSignal = false;  // ended by SIGTERM instead of "quit"
    const char* err = "";     // the one line on standard error, or nothing
};

bool Holds(const QString& text, const QString& expect) {
    if (expect.startsWith('/')) return QRegularExpression(expect.mid(1)).match(text).hasMatch();
    if (!expect.startsWith('~')) return text == expect;
    for (const QString& part : expect.mid(1).split('|')) {
        if (!text.contains(part)) return false;
    }
    return true;
}

void CheckTester(ProgramRun& run, const Step& step) {
    const KLineTesterRun tester = run.Tester(step.line.mid(2).split(' ', Qt::SkipEmptyParts));
    QStringList expect = step.expect.split('|');
    EXPECT_EQ(tester.exitCode, expect.takeFirst().toInt()) << tester.out.toStdString();
    for (const QString& part : expect) {
        if (part.startsWith(">=")) {
            const int space = part.lastIndexOf(' ');
            const QString label = space < 0 ? QStringLiteral("latency ") : part.mid(2, space - 1);
            const auto figures =
                QRegularExpression(QRegularExpression::escape(label) + R"((\d+\.\d+) ms)").globalMatch(tester.out);
            double last = -1;
            for (auto it = figures; it.hasNext();) last = it.next().captured(1).toDouble();
            // The tester reads its clock once the driver has taken its last byte; on a virtual port
            // that byte has often reached the program already, so allow half a millisecond.
            EXPECT_GE(last, part.mid(space < 0 ? 2 : space + 1).toDouble() - 0.5) << part.toStdString() << "\n"
                                                                                   << tester.out.toStdString();
        } else {
            EXPECT_TRUE(tester.out.contains(part)) << part.toStdString() << "\n" << tester.out.toStdString();
        }
    }
}

// Whether the trace holds the lines in that order, the last of them last so far; every line is
// "MICROSECONDS RX|TX BYTES".
bool TraceShows(ProgramRun& run, const QStringList& lines) {
    QFile file(run.Path("trace.txt"));
    if (!file.open(QIODevice::ReadOnly)) return false;
    int next = 0;
    QString last;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(QRegularExpression(R"(^\d+ (RX|TX)( [0-9A-F]{2})+$)").match(line).hasMatch()) << line.toStdString();
        last = line.section(' ', 1);
        if (next < lines.size() && last == lines[next]) ++next;
    }
    return next == lines.size() && last == lines.last();
}

void RunStep(ProgramRun& run, const Step& step) {
    SCOPED_TRACE(step.line.toStdString());
    if (step.line.startsWith("$ ")) return CheckTester(run, step);
    if (step.line == "@trace") {
        EXPECT_TRUE(QTest::qWaitFor([&] { return TraceShows(run, step.expect.split('|')); }, 10000));
        return;
    }
    if (step.line.startsWith("until ")) {
        QString answer;
        EXPECT_TRUE(QTest::qWaitFor([&] { return Holds(answer = run.Ask(step.line.mid(6)), step.expect); }, 10000))
            << answer.toStdString();
        return;
    }
    const QString command = step.line.simplified();
    if (command.startsWith("set ") && step.expect.startsWith("OK ")) {
        ASSERT_EQ(run.Ask(step.line), "OK");
        EXPECT_EQ(run.Ask("get " + command.section(' ', 1, 1)), step.expect);
        return;
    }
    const QString answer = run.Ask(step.line);
    EXPECT_TRUE(Holds(answer, step.expect)) << answer.toStdString() << " is not " << step.expect.toStdString();
}

// The K-line keys of Январь 5.1 at 0x10, and TesterPresent's reply.
const char* const kStart = "$ --to 10 81";
const char* const kPresentReply = "<- 81 F1 10 7E 00  latency";

// The program on its virtual port, as kline-tester and a control client meet it. Each scenario
// starts on a link an earlier run left behind, and the link is gone when the program has ended.
TEST(ProgramScenario, TheBenchAsTheTesterAndTheControlClientSeeIt) {
    const std::vector<Scenario> scenarios = {
        {"wake-up, echo, reply and their trace; lamps the tester switches; testers come and go", {}, {}, {
             {"click ignition", "OK"},
             {"$ --wakeup --to 10 81 --echo filter",
              "0|-> 81 10 F1 81 03\n<- 83 F1 10 C1 6B 8F 3F  latency|checksum ok  (echo seen)"},
             {"@trace", "RX 00|RX 81 10 F1 81 03|TX 83 F1 10 C1 6B 8F 3F"},
             {"$ --to 10 81 --to 10 30 09 06 01", "0"},  // fan relay 2 on
             {"get lamp ESUDCONTROL1ON", "OK on"},
             {"$ --to 10 81 --to 10 30 09 06 00", "0"},  // and off again
             {"get lamp ESUDCONTROL1OFF", "OK on"},
             {"$ --to 10 81 --to 10 11 01", "0"},  // ECU reset
             {"get lamp UiLED4", "OK on"},
             {"$ --to 10 81 --to 10 21 01 --repeat 20 --quiet",
              "0|requests 40  replies 40  no reply 0  bad checksum 0  broken 0"},
             {"$ --to 10 3E", "0"},
         }},
        {"ignition off: the bus still echoes, the controller stays silent", {}, {}, {
             {"$ --to 10 81 --echo filter", "1|<- no reply within 1000 ms"},
         }},
        {"no echo", {"--no-echo"}, {}, {
             {"click ignition", "OK"},
             {"$ --to 10 81 --echo filter", "1|the echo of the request is wrong or missing"},
             {"$ --to 10 81 --echo bytewise", "1|no echo of a request byte"},
             {"$ --to 10 81 --echo none", "0|<- 83 F1 10 C1 6B 8F 3F  latency"},
         }},
        // TesterPresent 3E 01 is answered 81 F1 10 7E 00.
        {"each fault mode as the tester meets it", {}, {}, {
             {"click ignition", "OK"},
             {kStart, "0"},
             {"fault pending 250", "OK"}, {"get fault", "OK pending 250"},
             {"fault gap 1000", "OK"}, {"get fault", "OK gap 1000"},
             {"fault drop 1000", "OK"}, {"get fault", "OK drop 1000"},
             {"fault delay 5000", "OK"}, {"get fault", "OK delay 5000"},
             {"fault busy 3", "OK"}, {"get fault", "OK busy 3"},
             {"$ --to 10 3E", "1"}, {"get fault", "OK busy 2"},
             {"$ --to 10 3E --repeat 2", "1"}, {"get fault", "OK none"},  // used up: normal answers again
             {"$ --to 10 3E", "0"},
             {"fault silent", "OK"}, {"$ --to 10 3E 01", "1|<- no reply within 1000 ms"},
             {"fault bad-checksum", "OK"}, {"$ --to 10 3E 01", "1|<- 81 F1 10 7E 01  latency"},
             {"fault delay 300", "OK"}, {"$ --to 10 3E 01", QString("0|") + kPresentReply + "|>=300"},
             // Past P2max the tester still waits, as the 7F 3E 78 asked it to.
             {"fault pending 1500", "OK"},
             {"$ --to 10 3E 01", QString("0|<- 83 F1 10 7F 3E 78 B9  response pending  latency|") + kPresentReply +
                                     "|>=1500"},
             {"fault busy 1", "OK"}, {"$ --to 10 3E 01", "1|<- 83 F1 10 7F 3E 21 62  busy, repeat request"},
             {"fault busy 2", "OK"},
             {"$ --to 10 3E 01 --repeat 3",
              "1|requests 3  replies 3  no reply 0  bad checksum 0  broken 0  busy 2  pending 0"},
             // The reply's first two bytes, then 300 ms of silence; the rest leaves before the next run.
             {"fault gap 300", "OK"},
             {"$ --to 10 3E 01", "1|<- 81 F1  broken: the reply stopped for more than 20 ms after 2 bytes"},
             {"@trace", "RX 82 10 F1 3E 01 C2|TX 81 F1 10 7E 00"},
             // Cut without a pause: whole, however late the second write.
             {"fault gap 0", "OK"}, {"$ --to 10 3E 01 --p1max 1000", QString("0|") + kPresentReply},
             {"clear report", "OK"},
             {"fault drop 2", "OK"},
             {"$ --to 10 3E 01 --repeat 4", "1|requests 4  replies 2  no reply 2  bad checksum 0  broken 0"},
             {"get report", "~\"fault mode\":2"},  // dropped replies are kept off the line by a fault
             {"fault none", "OK"}, {"$ --to 10 3E 01 --repeat 4", "0|replies 4  no reply 0"},
             // Held longer than the tester listens; last, so that its late reply is nobody's.
             {"fault delay 2000", "OK"}, {"$ --to 10 3E 01", "1|<- no reply within 1000 ms"},
         }},
        {"real framing per type, for all types and back", {}, "[MK-Vorta-Tester]\nRealFraming-Ja7=1\n", {
             {"get framing", "OK Ja5=compact B1=compact Ja7=real B7=compact BMP=compact b17=compact"},
             {"click ignition", "OK"},
             {"variant Ja7", "OK"}, {"$ --to 10 81 --to 10 21 01", "0|<- 80 F1 10 26 61 01 3B 92 "},  // 5 + 38
             {"framing compact", "OK"}, {"$ --to 10 21 01 --to 10 3E", QString("0|<- A6 F1 10 61 01 3B 92 |") +
                                                                           kPresentReply},
             {"framing real", "OK"}, {"variant b17", "OK"},
             {"$ --to 10 81 --to 10 21 01 --to 10 3E", QString("0|<- 80 F1 10 3C 61 01 |") + kPresentReply},
             {"get framing", "OK real"},
         }},
        {"the command line's framing overrides the stored one", {"--framing", "compact"},
         "[MK-Vorta-Tester]\nRealFraming-Ja7=1\n", {
             {"get framing", "OK compact"},
         }},
        {"reply times from the command line and the control interface", {"--p2", "300"}, {}, {
             {"get timing", "OK 300 0"},
             {"click ignition", "OK"},
             {"$ --to 10 81 --to 10 3E", "0|>=300"},
             {"timing 0 20", "OK"}, {"get timing", "OK 0 20"},
             // 38 bytes 20 ms apart, whole (the tester allows for a loaded machine).
             {"$ --to 10 21 01 --p1max 1000", "0|<- A2 F1 10 61 01"},
             {"timing 0 0", "OK"}, {"get timing", "OK 0 0"},
         }},
        {"values set and read as through the controls", {}, {}, {
             {"set speed 60", "OK 60"},
             {"set speed 2.5", "OK 2"},  // on the grid, halves to even
             {"set speed 250", "OK 250"},  // the ends of the dial's range
             {"set speed 0", "OK 0"},
             {"set coolant -40", "OK -40"},
             {"set coolant 160", "OK 160"},
             {"set throttle 37", "OK 37"},
             {"set idle-valve 61", "OK 61"},
             {"set air-flow 9.5", "OK 9.5"},
             {"set voltage 13", "OK 13.0"},  // 12.9978 on the grid
             {"set voltage 17.9", "OK 17.9"},  // 17.8999996 as the dial keeps it
             {"set voltage 5.2", "OK 5.2"},
             {"set speed 1e300", "ERR '1e300' is out of range: speed takes a number from 0 to 250 км/ч"},
             {"set voltage 17.91", "~out of range: voltage takes a number from 5.2 to 17.9"},
             {"set speed abc", "~bad number 'abc': speed takes a number from 0 to 250"},
             {"set injection 2.26", "OK 2.30"},  // grid step 0.1 ms
             {"set rpm 1e3", "OK 1000"},
             {"  set   throttle\t.5e2  ", "OK 50"},
             {"set rpm 3000", "OK 3000"},
             {"set idle-rpm 700", "OK 700"},
             {"get rpm", "OK 700"},  // idle speed pulls the engine speed
             {"set rpm 800", "OK 800"},
             {"get idle-rpm", "OK 800"},  // and the engine speed the idle speed below 2500
             {"set rpm 3000", "OK 3000"},
             {"get idle-rpm", "OK 800"},  // above it the idle speed stays
             {"set speed 50", "OK 50"},
             {"set fuel-flow 5", "OK 5.0"},
             {"get consumption", "OK 10.0"},
         }},
        {"buttons run their click handlers", {}, {}, {
             {"get ignition", "OK off"},
             {"click ignition", "OK"}, {"get idle-valve", "OK 61"},  // the ignition handler ran
             {"get ignition", "OK on"}, {"get engine", "OK off"},
             {"click engine-2", "OK"}, {"get rpm", "OK 900"}, {"get fuel-flow", "OK 0.7"},
             {"get engine", "OK on"},  // the tester tab's button: both tabs show it
             {"click engine", "OK"}, {"get rpm", "OK 0"},  // toggles the pressed engine button up again
             {"get engine", "OK off"},
             {"click ignition-2", "OK"}, {"get idle-valve", "OK 0"}, {"get ignition", "OK off"},
             {"set speed 60", "OK 60"}, {"set fuel-flow 6", "OK 6.0"}, {"click ignition", "OK"}, {"click trip", "OK"},
             {"until get trip", R"(/^OK (?!0\.000 )\S+ \S+ \S+ \S+ \S*:\S*$)"},  // distance grows, time h:mm:ss
             {"click trip", "OK"}, {"click curve", "OK"}, {"click curve", "OK"},
             {"dtc 3 on", "OK"}, {"dtc 113 on", "OK"}, {"get dtc", "OK 3 113"},
             {"dtc 114 on", "ERR no trouble code 114, the list holds 113"},
             {"click clear-dtc", "OK"}, {"get dtc", "OK"},
             {"get ident 9A", "OK V5V13J02"},
             {"ident 9A MYROM", "OK"}, {"variant B7", "OK"}, {"get variant", "OK B7"},
             {"get ident 9A", "OK B104CD21"},  // the type's default replaces it
             {"get ident 90", "OK XTA2110498765432109"},
             {"ident 91 2112 -1411020-60", "OK"}, {"get ident 91", "OK 2112 -1411020-60"},  // blanks kept
             {"ident 97 SAMARA-1.5L,  8V", "OK"}, {"get ident 97", "OK SAMARA-1.5L,  8V"},
             {"ident 92 Привет", "OK"}, {"get ident 92", "OK Привет"},
             {"ident 9a ROM", "OK"}, {"get ident 9A", "OK ROM"},
             {"ident 9A", "~ERR usage: ident OPTION TEXT"}, {"get ident 9A", "OK ROM"},  // nothing erased
             {"ident 9A \"\"", "OK"}, {"get ident 9A", "OK"},
         }},
        // Fresh settings: M7.9.7 and ME17.9.7 answer OBD-II, the others do not.
        {"OBD-II switched for every type and read for the current one", {}, {}, {
             {"get obd", "OK off"}, {"variant B7", "OK"}, {"get obd", "OK on"}, {"variant b17", "OK"},
             {"get obd", "OK on"}, {"variant BMP", "OK"}, {"get obd", "OK off"}, {"obd on", "OK"},
             {"get obd", "OK on"}, {"variant Ja5", "OK"}, {"get obd", "OK on"}, {"obd off", "OK"},
             {"variant B7", "OK"}, {"get obd", "OK off"}, {"  obd   on ", "OK"}, {"get obd", "OK on"},
         }},
        // An OBD tester at the functional address; --obd off keeps the M7.9.7 quiet at 0x33 until
        // switched on. One decoded request proves the wiring: the replies are the emulator's.
        {"OBD-II tester on the functional address", {"--obd", "off"}, {}, {
             {"click ignition", "OK"}, {"variant B7", "OK"}, {"set rpm 2450", "OK 2450"},
             {"get obd", "OK off"},
             {"$ --functional --wakeup --to 33 81", "1|<- no reply within 1000 ms"},
             {"obd on", "OK"},
             {"$ --functional --wakeup --decode obd --to 33 81 --to 33 01 0C",
              "0|-> C1 33 F1 81 66\n<- 83 F1 10 C1 EF 8F C3  latency|<- 84 F1 10 41 0C 26 48|   engine speed 2450 rpm\n"},
         }},
        // A wake-up, an unanswered request, a request to another address; whole requests, P3 60 ms.
        {"the report on the tester and its fresh start", {}, {}, {
             {"click ignition", "OK"}, {"fault silent", "OK"},
             {"$ --wakeup --to 10 81", "1"},
             {"fault none", "OK"},
             {"$ --interval 60 --to 10 81 --to 10 21 01 --to 11 3E", "1"},  // nobody answers at 0x11
             {"get report",
              "~\"81\":2|\"21 01\":1|\"replies\":2,|\"fault mode\":1|\"another address\":1|"
              "\"other_addresses\":1|\"start\":{\"starts\":2,\"after_wake_up\":1|\"kind\":\"pseudo-terminal\""},
             {"get report", R"(/^OK \{"p3_min":\{"ms":(5[5-9]|[6-9]\d|\d{3,})(\.\d+)?,"limit_min_ms":55(\.0+)?,)"},
             {"clear report", "OK"},
             {"get report", "~\"p3_min\":{\"ms\":null,|\"mark\":\"no data\"|\"requests\":{}|\"replies\":0,"},
         }},
        {"slow init at 0x33 (ISO 9141-2, then ISO 14230-4) and at M7.9.7's own address: key bytes, windows never "
         "short, P2min; a wrong inverted key byte opens nothing", {"--obd-protocols", "fast,iso9141"}, {}, {
             {"get obd protocols", "OK fast,iso9141"},
             {"get slowinit", "OK off"},
             {"click ignition", "OK"}, {"variant B7", "OK"},
             {"$ --slowinit 33 --protocol iso9141 --to 33 01 0D",
              "0|key bytes 08 08: ISO 9141-2|<- 48 6B 10 41 0D 00 11  latency|>=W1 60|>=W2 5|>=the controller's 25|"
              ">=25"},
             {"obd protocols slow", "OK"},
             {"$ --slowinit 33 --functional --to 33 01 0D",
              "0|key bytes E9 8F: KWP2000|<- 83 F1 10 41 0D 00 D2  latency|>=W1 60|>=the controller's 25"},
             {"slowinit on", "OK"}, {"get slowinit", "OK on"}, {"timing w1 150", "OK"},
             {"$ --slowinit 10 --to 10 3E", "0|key bytes EF 8F: KWP2000|" + QString(kPresentReply) + "|>=W1 150"},
             {"$ --slowinit 10 --key-answer 6F", "1|inverted key byte 2 sent   6F|no inverted address"},
             {"@trace", "RX 10|TX 55|TX EF|TX 8F|RX 6F"},
             {"$ --to 10 3E", "1|no reply"},
         }},
        {"ISO 9141-2 from the stored settings: after P3max without a request a new init is needed", {},
         "[MK-Vorta-Tester]\nOBD-Protocols=iso9141\nSlowInit-B7=1\n", {
             {"click ignition", "OK"}, {"variant B7", "OK"}, {"get slowinit", "OK on"},
             {"$ --slowinit 33 --protocol iso9141 --to 33 01 0C", "0|<- 48 6B 10 41 0C"},
             {"$ --protocol iso9141 --interval 5200 --to 33 01 0C --to 33 01 0C", "1|<- 48 6B 10 41 0C|no reply"},
             {"$ --slowinit 33 --protocol iso9141 --to 33 01 0C", "0|<- 48 6B 10 41 0C"},
             {"$ --wakeup --functional --to 33 81", "1|no reply"},  // fast init is off
         }},
        {"a stop signal still removes the link", {}, {}, {}, true},
        {"a trace that cannot be written is one line and the link goes on", {"--trace", "/dev/full"}, {}, {
             {"click ignition", "OK"},
             {"$ --to 10 81 --to 10 3E --repeat 3", "0"},
         }, false, "cannot write trace file /dev/full: "},
    };
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.what);
        ProgramRun run;
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/nonexistent"), run.Path("kline")));
        if (!scenario.ini.isEmpty()) run.StoreSettings(scenario.ini);
        ASSERT_TRUE(run.Start(run.BenchArgs(!scenario.args.contains("--trace")) + scenario.args));
        ASSERT_TRUE(run.Connect()) << run.program.readAllStandardError().toStdString();
        EXPECT_EQ(QFileInfo(run.Path("kline")).symLinkTarget(), QString::fromLocal8Bit(run.program.readLine()).trimmed());
        for (const Step& step : scenario.steps) RunStep(run, step);
        if (scenario.stopSignal) {
            ::kill(static_cast<pid_t>(run.program.processId()), SIGTERM);
        } else {
            EXPECT_EQ(run.Ask("quit"), "OK");  // the control interface still answers
        }
        ASSERT_TRUE(run.Finished());
        EXPECT_EQ(run.program.exitCode(), 0);
        EXPECT_FALSE(QFileInfo(run.Path("kline")).isSymLink());  // removed at exit
        const QString err = QString::fromLocal8Bit(run.program.readAllStandardError());
        EXPECT_TRUE(*scenario.err ? err.startsWith(scenario.err) && err.count('\n') == 1 : err.isEmpty())
            << err.toStdString();
    }
}

TEST(ProgramScenario, HiddenPortErrorIsOneLineAndTheRunGoesOn) {
    ProgramRun run;
    ASSERT_TRUE(run.Start({"--hidden", "--port", run.Path("no-such-tty")}));
    QByteArray err;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (err += run.program.readAllStandardError()).endsWith('\n'); }, 20000));
    EXPECT_EQ(run.program.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(run.program.processId()), SIGTERM);
    ASSERT_TRUE(run.Finished());
    EXPECT_EQ(run.program.exitCode(), 0);
    err += run.program.readAllStandardError();
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("no-such-tty")) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(run.Path("config")));  // the port given stores nothing
}

TEST(ProgramScenario, RefusedStartsSayWhyAndEndAtOnce) {
    ProgramRun run;
    QFile plain(run.Path("taken"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    struct Row {
        QStringList args;
        int exitCode;
        QString says;
    };
    const Row rows[] = {
        {{"--hidden", "--port", "pty", "--control", "192.168.1.1:5555"}, 1, "only loopback addresses"},
        {{"--hidden", "--port", "pty", "--control", "example.org:5555"}, 1, "only loopback addresses"},
        {{"--hidden", "--port", "pty", "--trace", run.Path("none/trace.txt")}, 1, "cannot open trace file"},
        {{"--hidden", "--port", "pty", "--pty-link", run.Path("taken")}, 1, "a file of that name exists"},
        {{"--hidden", "--port", "pty", "--pty-link", run.Path("none/kline")}, 1,
         "the folder " + run.Path("none") + " does not exist"},
        {{"--port", "pty"}, 2, "no display: start with --hidden or set DISPLAY"},
        {{"--pty-link", "/tmp/x"}, 2, "goes with '--port pty'"},
        {{"--frobnicate"}, 2, "Unknown option"},
        {{"--hidden", "--port", "pty", "--cycle", run.Path("bad.csv")}, 1, "bad.csv: line 4: time 1 does not follow 1"},
    };
    QFile bad(run.Path("bad.csv"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("time_s,speed_kmh\n0,0\n1,10\n1,20\n");
    bad.close();
    for (const auto& row : rows) {
        ASSERT_TRUE(run.Start(row.args));
        ASSERT_TRUE(run.Finished());
        EXPECT_EQ(run.program.exitCode(), row.exitCode) << row.says.toStdString();
        const QString err = QString::fromLocal8Bit(run.program.readAllStandardError());
        EXPECT_TRUE(err.contains(row.says)) << row.says.toStdString() << "\n" << err.toStdString();
    }
    EXPECT_TRUE(QFileInfo(run.Path("taken")).isFile());  // the plain file was left alone
    ASSERT_TRUE(run.Start({"--version"}));
    ASSERT_TRUE(run.Finished());
    EXPECT_EQ(run.program.readAllStandardOutput().trimmed(), "vorta-tester " VORTA_VERSION);
}

// A second copy given a running copy's link leaves it alone: the first keeps its link to the end.
TEST(ProgramScenario, ARunningCopysLinkIsNotTakenOver) {
    ProgramRun first;
    ProgramRun second;
    ASSERT_TRUE(first.Start({"--hidden", "--port", "pty", "--pty-link", first.Path("kline")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.program.canReadLine(); }, 20000));
    const QString pty = QString::fromLocal8Bit(first.program.readLine()).trimmed();
    ASSERT_TRUE(second.Start({"--hidden", "--port", "pty", "--pty-link", first.Path("kline")}));
    ASSERT_TRUE(second.Finished());
    EXPECT_EQ(second.program.exitCode(), 1);
    EXPECT_EQ(QString::fromLocal8Bit(second.program.readAllStandardError()).trimmed(),
              QStringLiteral("cannot make the link %1: it points at %2, the virtual port of a running copy")
                  .arg(first.Path("kline"), pty));
    EXPECT_EQ(QFileInfo(first.Path("kline")).symLinkTarget(), pty);
    ::kill(static_cast<pid_t>(first.program.processId()), SIGTERM);
    ASSERT_TRUE(first.Finished());
    EXPECT_FALSE(QFileInfo(first.Path("kline")).isSymLink());
}

TEST(ProgramScenario, NumbersTakeAPointWhateverTheLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    {
        BenchRun bench;
        ASSERT_TRUE(bench.Started());
        bench.Do({"set voltage 13.5"});
        EXPECT_EQ(bench.Ask("get voltage"), "OK 13,5");  // the mirror in the user's locale
        EXPECT_TRUE(bench.Ask("set voltage 13,5").startsWith("ERR bad number"));
    }
    QLocale::setDefault(before);
}

}  // namespace
