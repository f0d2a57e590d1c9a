#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <gtest/gtest.h>

#include "support/BenchRun.h"

namespace {

// Every command against the running program: a hidden bench with a control socket.
class ControlInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bench.Started()); }
    BenchRun bench;
};

TEST_F(ControlInterfaceTest, ValuesAreSetAndReadAsThroughTheControls) {
    const std::pair<const char*, const char*> rows[] = {
        {"set speed 60", "OK 60"},
        {"set speed 2.5", "OK 2"},        // on the grid, halves to even
        {"set speed 999", "OK 250"},      // clamped to the dial's range
        {"set speed -5", "OK 0"},
        {"set coolant -40", "OK -40"},
        {"set coolant 500", "OK 160"},
        {"set throttle 37", "OK 37"},
        {"set idle-valve 61", "OK 61"},
        {"set air-flow 9.5", "OK 9.5"},
        {"set voltage 13", "OK 13.0"},    // 12.9978 on the grid
        {"set voltage 1", "OK 5.2"},
        {"set injection 2.26", "OK 2.30"},  // grid step 0.1 ms
        {"set rpm 1e3", "OK 1000"},
        {"  set   throttle\t.5e2  ", "OK 50"},
        {"set rpm 3000", "OK 3000"},
        {"set idle-rpm 700", "OK 700"},
        {"get rpm", "OK 700"},            // idle speed pulls the engine speed
        {"set rpm 800", "OK 800"},
        {"get idle-rpm", "OK 800"},       // and the engine speed the idle speed below 2500
        {"set rpm 3000", "OK 3000"},
        {"get idle-rpm", "OK 800"},       // above it the idle speed stays
        {"set speed 50", "OK 50"},
        {"set fuel-flow 5", "OK 5.0"},
        {"get consumption", "OK 10.0"},
    };
    for (const auto& [line, answer] : rows) {
        const QString command = QString::fromLatin1(line).simplified();
        if (command.startsWith("set ")) {
            ASSERT_EQ(bench.Ask(line), "OK") << line;
            EXPECT_EQ(bench.Ask(("get " + command.section(' ', 1, 1)).toLatin1().constData()), answer) << line;
        } else {
            EXPECT_EQ(bench.Ask(line), answer);
        }
    }
}

TEST_F(ControlInterfaceTest, ButtonsRunTheirClickHandlers) {
    bench.Do({"click ignition"});
    EXPECT_EQ(bench.Ask("get idle-valve"), "OK 61");  // the ignition handler ran
    bench.Do({"click engine-2"});
    EXPECT_EQ(bench.Ask("get rpm"), "OK 900");
    EXPECT_EQ(bench.Ask("get fuel-flow"), "OK 0.7");
    bench.Do({"click engine"});  // toggles the pressed engine button up again
    EXPECT_EQ(bench.Ask("get rpm"), "OK 0");
    bench.Do({"click ignition-2"});
    EXPECT_EQ(bench.Ask("get idle-valve"), "OK 0");

    bench.Do({"set speed 60", "set fuel-flow 6", "click ignition", "click trip"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !bench.Ask("get trip").startsWith("OK 0.000 "); }, 5000));
    const QStringList trip = bench.Ask("get trip").split(' ');
    ASSERT_EQ(trip.size(), 6) << trip.join(' ').toStdString();  // OK and five values
    EXPECT_GT(trip[1].toDouble(), 0.0);                         // distance grows
    EXPECT_TRUE(trip[5].contains(':'));                         // travel time h:mm:ss
    bench.Do({"click trip", "click curve", "click curve"});

    bench.Do({"dtc 3 on", "dtc 113 on"});
    EXPECT_EQ(bench.Ask("get dtc"), "OK 3 113");
    bench.Do({"click clear-dtc"});
    EXPECT_EQ(bench.Ask("get dtc"), "OK");

    EXPECT_EQ(bench.Ask("get ident 9A"), "OK V5V13J02");
    bench.Do({"ident 9A MYROM", "variant B7"});
    EXPECT_EQ(bench.Ask("get variant"), "OK B7");
    EXPECT_EQ(bench.Ask("get ident 9A"), "OK B104CD21");  // the type's default replaces it
    EXPECT_EQ(bench.Ask("get ident 90"), "OK XTA2110498765432109");
    const std::pair<const char*, const char*> idents[] = {
        {"ident 91 2112 -1411020-60", "get ident 91"},  // the rest of the line, blanks kept
        {"ident 97 SAMARA-1.5L,  8V", "get ident 97"},
        {"ident 92 Привет", "get ident 92"},
        {"ident 9a ROM", "get ident 9A"},
    };
    for (const auto& [set, get] : idents) {
        bench.Do({set});
        EXPECT_EQ(bench.Ask(get), "OK " + QString::fromUtf8(set).section(' ', 2)) << set;
    }
    bench.Do({"fault delay 5000"});
    EXPECT_EQ(bench.Ask("get fault"), "OK delay 5000");
}

// The report on the tester over the control interface, from a kline-tester run on the
// virtual port: bytes sent one by one with their echo, a wake-up, an unanswered request.
TEST_F(ControlInterfaceTest, ReportOnTheTesterAndItsFreshStart) {
    bench.Do({"click ignition", "fault silent"});
    EXPECT_EQ(bench.Tester({"--wakeup", "--echo", "bytewise", "--p2max", "1000", "--to", "10", "81"}).exitCode, 1);
    bench.Do({"fault none"});
    const auto run = bench.Tester({"--echo", "bytewise", "--p2max", "1000", "--interval", "60", "--to", "10", "81",
                                   "--to", "10", "21", "01", "--to", "11", "3E"});
    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString();  // nobody answers at 0x11
    const QString answer = bench.Ask("get report");
    ASSERT_TRUE(answer.startsWith(QLatin1String("OK {"))) << answer.toStdString();
    EXPECT_FALSE(answer.contains(QLatin1Char('\n')));
    const QJsonObject report = QJsonDocument::fromJson(answer.mid(3).toUtf8()).object();
    ASSERT_FALSE(report.isEmpty()) << answer.toStdString();
    EXPECT_EQ(report["requests"].toObject()["81"].toInt(), 2);
    EXPECT_EQ(report["requests"].toObject()["21 01"].toInt(), 1);
    EXPECT_EQ(report["replies"].toInt(), 2);
    const QJsonObject unanswered = report["unanswered"].toObject();
    EXPECT_EQ(unanswered["fault mode"].toInt(), 1);
    EXPECT_EQ(unanswered["another address"].toInt(), 1);
    EXPECT_EQ(report["other_addresses"].toInt(), 1);
    EXPECT_EQ(report["start"].toObject()["after_wake_up"].toInt(), 1);
    EXPECT_EQ(report["start"].toObject()["starts"].toInt(), 2);
    // Byte by byte, each byte waits for its echo: the gaps are real, never "written at once".
    EXPECT_GT(report["p4_max"].toObject()["ms"].toDouble(), 0.0);
    EXPECT_GE(report["p3_min"].toObject()["ms"].toDouble(), 55.0);  // --interval 60
    EXPECT_EQ(report["p3_min"].toObject()["limit_min_ms"].toDouble(), 55.0);
    EXPECT_EQ(report["resolution"].toObject()["kind"].toString(), QStringLiteral("pseudo-terminal"));
    for (const char* figure : {"p3_min", "p3_median", "p4_min", "p4_max", "longest_silence"}) {
        EXPECT_TRUE(report[figure].toObject().contains(QStringLiteral("mark"))) << figure;
    }

    bench.Do({"clear report"});
    const QJsonObject fresh = QJsonDocument::fromJson(bench.Ask("get report").mid(3).toUtf8()).object();
    EXPECT_EQ(fresh["replies"].toInt(), 0);
    EXPECT_TRUE(fresh["requests"].toObject().isEmpty());
    EXPECT_TRUE(fresh["p3_min"].toObject()["ms"].isNull());
    EXPECT_EQ(fresh["p3_min"].toObject()["mark"].toString(), QStringLiteral("no data"));
}

TEST_F(ControlInterfaceTest, ObdIsSwitchedForEveryTypeAndReadForTheCurrentOne) {
    // Fresh settings: M7.9.7 and ME17.9.7 answer OBD-II, the others do not.
    const std::pair<const char*, const char*> rows[] = {
        {"get obd", "OK off"},     {"variant B7", "OK"},  {"get obd", "OK on"},   {"variant b17", "OK"},
        {"get obd", "OK on"},      {"variant BMP", "OK"}, {"get obd", "OK off"},  {"obd on", "OK"},
        {"get obd", "OK on"},      {"variant Ja5", "OK"}, {"get obd", "OK on"},   {"obd off", "OK"},
        {"variant B7", "OK"},      {"get obd", "OK off"}, {"  obd   on ", "OK"},  {"get obd", "OK on"},
    };
    for (const auto& [line, answer] : rows) {
        EXPECT_EQ(bench.Ask(line), answer) << line;
    }
}

TEST_F(ControlInterfaceTest, BadInputIsRefusedAndChangesNothing) {
    bench.Do({"set speed 40"});
    const std::pair<const char*, const char*> rows[] = {
        {"", "empty"},
        {"launch", "unknown command"},
        {"SET speed 3", "unknown command"},
        {"set speed", "usage"},
        {"set speed 1 2", "usage"},
        {"set warp 3", "unknown parameter"},
        {"set consumption 3", "unknown parameter"},  // derived, not settable
        {"set speed 6,5", "bad number"},
        {"set speed 0x10", "bad number"},
        {"set speed nan", "bad number"},
        {"set speed inf", "bad number"},
        {"set speed 1e999", "bad number"},
        {"get", "usage"},
        {"get warp", "nothing to get"},
        {"get speed now", "usage"},
        {"get ident", "usage"},
        {"get ident 93", "identification option"},
        {"get lamp UiLED6", "unknown lamp"},
        {"get lamp ESUDCONTROL3ON", "unknown lamp"},
        {"click horn", "unknown button"},
        {"variant ja5", "unknown controller type"},
        {"variant", "usage"},
        {"dtc 0 on", "bad trouble-code index"},
        {"dtc x on", "bad trouble-code index"},
        {"dtc 114 on", "no trouble code 114, the list holds 113"},
        {"dtc 5 yes", "usage"},
        {"ident 9B text", "identification option"},
        {"fault", "usage"},
        {"fault loud", "unknown fault"},
        {"fault delay", "usage"},
        {"fault delay 5001", "bad delay"},
        {"fault delay 1.5", "bad delay"},
        {"quit now", "usage"},
        {"clear", "usage"},
        {"clear dtc", "nothing to clear"},
        {"get report now", "usage"},
        {"obd", "usage: obd on|off"},
        {"obd yes", "usage: obd on|off"},
        {"obd on off", "usage: obd on|off"},
        {"get obd now", "usage"},
    };
    for (const auto& [line, reason] : rows) {
        const QString answer = bench.Ask(line);
        EXPECT_TRUE(answer.startsWith(QLatin1String("ERR ")) && answer.contains(QLatin1String(reason)))
            << '"' << line << "\" gave: " << answer.toStdString();
    }
    EXPECT_EQ(bench.control->Ask(QByteArray(5000, 'x')), "ERR line longer than 4096 bytes");
    EXPECT_EQ(bench.Ask("get speed"), "OK 40");  // the same connection still answers
    EXPECT_EQ(bench.Ask("get variant"), "OK Ja5");
    EXPECT_EQ(bench.Ask("get dtc"), "OK");
    EXPECT_EQ(bench.Ask("get fault"), "OK none");
    EXPECT_EQ(bench.Ask("get obd"), "OK off");
    EXPECT_EQ(bench.Ask("get idle-valve"), "OK 0");  // no button was clicked
    EXPECT_EQ(bench.Ask("get ident 90"), "OK XTA2110498765432109");

    // A second client leaves in the middle of a command: nothing of it is carried out.
    // The whole line's answer shows the half one has been read with it.
    auto leaving = LineClient::Local(bench.ControlPath());
    leaving->Send("get speed\nset speed 9");
    EXPECT_EQ(leaving->ReadLine(), "OK 40");
    leaving->Drop();
    QTest::qWait(1000);  // time enough for the server to see the client go
    EXPECT_EQ(bench.Ask("get speed"), "OK 40");
    EXPECT_TRUE(bench.messages.isEmpty()) << bench.messages.join('\n').toStdString();
}

TEST(ControlInterfaceLocale, NumbersTakeAPointWhateverTheLocale) {
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
