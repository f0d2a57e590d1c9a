#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <cmath>

#include "support/ProgramRun.h"

namespace {

// A 30 s cycle driven by the program from its command line while kline-tester polls 21 01 of
// Bosch M7.9.7 every 100 ms: the tester's own sums (each reply's speed and fuel flow held until
// the next, by its own clock) are what the device view says, and the report is a PDF whose
// pages render. Speed and fuel are 0 at both ends, so polls before or after the cycle add nothing.
TEST(DriveCycleRun, AgainstTheTestersOwnSums) {
    ProgramRun run;
    QFile cycle(run.Path("c30.csv"));
    ASSERT_TRUE(cycle.open(QIODevice::WriteOnly));
    cycle.write("time_s,speed_kmh,fuel_lph\n0,0,0\n2,0,0\n7,36,6\n25,36,4\n30,0,0\n");
    cycle.close();
    ASSERT_TRUE(run.Start(run.BenchArgs(false) << "--cycle" << run.Path("c30.csv")));
    ASSERT_TRUE(run.Connect());
    ASSERT_EQ(run.Ask("variant B7"), "OK");
    ASSERT_EQ(run.Tester({"--to", "10", "81"}).exitCode, 0);
    QProcess tester;
    tester.start(QStringLiteral(KLINE_TESTER_PATH), {run.Path("kline"), "--p2max", "1000", "--to", "10", "21", "01",
                                                     "--decode", "B7", "--stamp", "--repeat", "330", "--interval", "100"});
    ASSERT_TRUE(tester.waitForFinished(200000));
    ASSERT_EQ(tester.exitCode(), 0) << tester.readAllStandardError().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return run.Ask("get cycle").contains("\"state\":\"finished\""); }, 20000));

    static const QRegularExpression kStamp(QStringLiteral(R"(  at (\d+\.\d+) s$)"));
    static const QRegularExpression kValue(QStringLiteral(R"(^   (speed|fuel-flow) (\S+) )"));
    double km = 0, litres = 0, lastS = -1, speed = 0, fuel = 0;
    for (const QByteArray& raw : tester.readAllStandardOutput().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (const auto stamp = kStamp.match(line); stamp.hasMatch()) {
            const double s = stamp.captured(1).toDouble();
            if (lastS >= 0) {
                km += speed * (s - lastS) / 3600;
                litres += fuel * (s - lastS) / 3600;
            }
            lastS = s;
        } else if (const auto value = kValue.match(line); value.hasMatch()) {
            (value.captured(1) == QLatin1String("speed") ? speed : fuel) = value.captured(2).toDouble();
        }
    }
    ASSERT_GT(km, 0.2);
    ASSERT_EQ(run.Ask(QStringLiteral("cycle device distance=%1 fuel=%2").arg(km, 0, 'f', 5).arg(litres, 0, 'f', 5)), "OK");
    const QString verdict = run.Ask("get verdict");
    ASSERT_TRUE(verdict.startsWith(QLatin1String("OK {"))) << verdict.toStdString();
    const QJsonObject judged = QJsonDocument::fromJson(verdict.mid(3).toUtf8()).object();
    EXPECT_EQ(judged[QStringLiteral("verdict")].toString(), QStringLiteral("pass")) << verdict.toStdString();
    for (const QJsonValue figure : judged[QStringLiteral("figures")].toArray()) {
        EXPECT_LT(std::abs(figure[QStringLiteral("errorDevicePct")].toDouble()), 0.5) << verdict.toStdString();
    }

    ASSERT_EQ(run.Ask(QStringLiteral("cycle report %1").arg(run.Path("report.pdf"))), "OK");
    QFile json(run.Path("report.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QJsonDocument::fromJson(json.readAll()).isObject());
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {"-r", "20", "-png", run.Path("report.pdf"), run.Path("page")});
    ASSERT_TRUE(render.waitForFinished(60000)) << "pdftoppm (poppler-utils) did not run";
    EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(run.Path("page-1.png")));
    EXPECT_TRUE(QFileInfo::exists(run.Path("page-2.png")));
    EXPECT_EQ(run.Ask("quit"), "OK");
    ASSERT_TRUE(run.Finished());
    EXPECT_EQ(run.program.exitCode(), 0);
}

}  // namespace
