#include <QLocale>
#include <gtest/gtest.h>

#include "BenchRun.h"
#include "console/BenchSession.h"

namespace {

TEST(ControlInterfaceTest, ValuesAreSetAndReadAsThroughTheControls) {
    BenchRun bench;
    ASSERT_TRUE(bench.Started());
    struct Row {
        const char* set;
        const char* get;
        const char* answer;
    };
    const Row rows[] = {
        {"set speed 60", "get speed", "OK 60"},
        {"set speed 2.5", "get speed", "OK 2"},          // on the grid, halves to even
        {"set speed 999", "get speed", "OK 250"},        // clamped to the dial's range
        {"set speed -5", "get speed", "OK 0"},
        {"set coolant -40", "get coolant", "OK -40"},
        {"set coolant 500", "get coolant", "OK 160"},
        {"set throttle 37", "get throttle", "OK 37"},
        {"set idle-valve 61", "get idle-valve", "OK 61"},
        {"set air-flow 9.5", "get air-flow", "OK 9.5"},
        {"set voltage 13", "get voltage", "OK 13.0"},    // 12.9978 on the grid
        {"set voltage 1", "get voltage", "OK 5.2"},
        {"set injection 2.26", "get injection", "OK 2.30"},  // grid step 0.1 ms
        {"set rpm 3000", "get rpm", "OK 3000"},
        {"set idle-rpm 700", "get rpm", "OK 700"},       // idle speed pulls the engine speed
        {"set rpm 800", "get idle-rpm", "OK 800"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(bench.Ask(row.set), "OK") << row.set;
        EXPECT_EQ(bench.Ask(row.get), row.answer) << row.set;
    }
    bench.Do({"set speed 50", "set fuel-flow 5"});
    EXPECT_EQ(bench.Ask("get fuel-flow"), "OK 5.0");
    EXPECT_EQ(bench.Ask("get consumption"), "OK 10.0");
}

TEST(ControlInterfaceTest, ButtonsRunTheirClickHandlers) {
    BenchRun bench;
    ASSERT_TRUE(bench.Started());
    bench.Do({"click ignition"});
    EXPECT_EQ(bench.Ask("get idle-valve"), "OK 61");  // the ignition handler ran
    bench.Do({"click engine-2"});
    EXPECT_EQ(bench.Ask("get rpm"), "OK 900");
    EXPECT_EQ(bench.Ask("get fuel-flow"), "OK 0.7");
    EXPECT_EQ(bench.Ask("get voltage"), "OK 13.0");
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
}

TEST(ControlInterfaceTest, VariantIdentAndLamps) {
    BenchRun bench;
    ASSERT_TRUE(bench.Started());
    EXPECT_EQ(bench.Ask("get variant"), "OK Ja5");
    EXPECT_EQ(bench.Ask("get ident 9A"), "OK V5V13J02");
    bench.Do({"ident 9A MYROM", "variant B7"});
    EXPECT_EQ(bench.Ask("get variant"), "OK B7");
    EXPECT_EQ(bench.Ask("get ident 9A"), "OK B104CD21");  // the type's default replaces it
    bench.Do({"ident 91 2112 -1411020-60"});
    EXPECT_EQ(bench.Ask("get ident 91"), "OK 2112 -1411020-60");
    EXPECT_EQ(bench.Ask("get ident 90"), "OK XTA2110498765432109");
    for (const char* lamp : {"get lamp UiLED1", "get lamp UiLED5", "get lamp ESUDCONTROL1ON",
                             "get lamp ESUDCONTROL8OFF"}) {
        EXPECT_EQ(bench.Ask(lamp), "OK off") << lamp;
    }
    bench.Do({"fault delay 250"});
    EXPECT_EQ(bench.Ask("get fault"), "OK delay 250");
    bench.Do({"fault none"});
    EXPECT_EQ(bench.Ask("get fault"), "OK none");
}

TEST(ControlInterfaceTest, BadInputIsRefusedAndChangesNothing) {
    BenchRun bench;
    ASSERT_TRUE(bench.Started());
    bench.Do({"set speed 40"});
    struct Row {
        const char* line;
        const char* answerStart;
    };
    const Row rows[] = {
        {"launch", "ERR unknown command"},
        {"set speed 6,5", "ERR bad number"},
        {"set speed fast", "ERR bad number"},
        {"dtc 114 on", "ERR no trouble code 114"},
        {"fault delay 5001", "ERR bad delay"},
        {"variant Ja6", "ERR unknown controller type"},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(bench.Ask(row.line).startsWith(row.answerStart)) << row.line;
    }
    EXPECT_EQ(bench.control->Ask(QByteArray(5000, 'x')), "ERR line longer than 4096 bytes");
    EXPECT_EQ(bench.Ask("get speed"), "OK 40");  // the same connection still answers
    EXPECT_EQ(bench.Ask("get variant"), "OK Ja5");
    EXPECT_EQ(bench.Ask("get dtc"), "OK");
    EXPECT_EQ(bench.Ask("get fault"), "OK none");

    // A second client leaves in the middle of a command: nothing of it is carried out.
    auto leaving = LineClient::Local(bench.Session().ControlEndpoint().mid(5));
    leaving->Send("set speed 9");
    QTest::qWait(50);
    leaving->Drop();
    QTest::qWait(50);
    EXPECT_EQ(bench.Ask("get speed"), "OK 40");
    EXPECT_TRUE(bench.messages.isEmpty()) << bench.messages.join('\n').toStdString();
}

TEST(ControlInterfaceTest, QuitIsAnsweredThenCarriedOut) {
    BenchRun bench;
    ASSERT_TRUE(bench.Started());
    EXPECT_EQ(bench.Ask("quit"), "OK");
    EXPECT_TRUE(QTest::qWaitFor([&] { return bench.quits == 1; }, 5000));
}

TEST(ControlInterfaceTest, NumbersTakeAPointWhateverTheLocale) {
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

TEST(ControlInterfaceTest, ANonLoopbackControlAddressStopsTheStart) {
    for (const char* address : {"0.0.0.0:7000", "192.168.0.5:7000", "example.org:7000"}) {
        CommandLineOptions options;
        options.hidden = true;
        options.port = QStringLiteral("/dev/null");
        options.control = QString::fromLatin1(address);
        QStringList messages;
        BenchSession session(options, [&](const QString& m) { messages << m; });
        QString error;
        EXPECT_FALSE(session.Start(&error)) << address;
        EXPECT_TRUE(error.contains(QLatin1String("only loopback addresses"))) << error.toStdString();
    }
}

}  // namespace
