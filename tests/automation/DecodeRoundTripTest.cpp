#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

#include "BenchRun.h"
#include "LiveBlockDecoder.h"
#include "emulator/KwpFrame.h"

namespace {

// The values a bench sets; the idle speed goes first, as it pulls the engine speed along.
const char* const kSettings[] = {"set idle-rpm 850", "set rpm 3000", "set speed 60", "set coolant 90",
                                 "set throttle 37", "set idle-valve 45", "set fuel-flow 4.2",
                                 "set air-flow 25.5", "set voltage 13.8", "set injection 3.5",
                                 "dtc 4 on", "dtc 50 on", "dtc 113 on"};

std::map<QString, double> DecodedLines(const QString& out) {
    std::map<QString, double> values;
    const QRegularExpression line(QStringLiteral(R"(^   ([a-z-]+) (-?[\d.e+-]+)(?: \S+)?$)"),
                                  QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        values[m.captured(1)] = m.captured(2).toDouble();
    }
    return values;
}

std::vector<std::uint8_t> LastReply(const QString& out) {
    const QRegularExpression reply(QStringLiteral(R"(^<- ((?:[0-9A-F]{2} ?)+)  latency)"),
                                   QRegularExpression::MultilineOption);
    std::vector<std::uint8_t> bytes;
    for (auto it = reply.globalMatch(out); it.hasNext();) {
        bytes.clear();
        for (const QString& b : it.next().captured(1).split(' ', Qt::SkipEmptyParts)) {
            bytes.push_back(static_cast<std::uint8_t>(b.toUInt(nullptr, 16)));
        }
    }
    return bytes;
}

TEST(DecodeRoundTripTest, EveryControllerTypeGivesBackWhatWasSet) {
    struct Row {
        const char* variant;
        const char* address;
        EcuVariant type;
    };
    const Row rows[] = {{"Ja5", "10", EcuVariant::Ja5}, {"B1", "10", EcuVariant::B1},
                        {"Ja7", "10", EcuVariant::Ja7}, {"B7", "11", EcuVariant::B7},
                        {"BMP", "11", EcuVariant::BMP}, {"b17", "10", EcuVariant::b17}};
    BenchRun bench;
    ASSERT_TRUE(bench.Started());
    bench.Do({"click ignition"});
    for (const char* line : kSettings) bench.Do({line});

    std::map<QString, double> expected;
    for (const char* name : {"speed", "coolant", "rpm", "throttle", "idle-valve", "fuel-flow", "air-flow",
                             "voltage", "idle-rpm", "injection", "consumption"}) {
        const QString answer = bench.Ask((QByteArray("get ") + name).constData());
        ASSERT_TRUE(answer.startsWith("OK ")) << name;
        expected[QString::fromLatin1(name)] = answer.mid(3).toDouble();
    }
    expected[QStringLiteral("dtc-count")] = 3;
    expected[QStringLiteral("run-state")] = 0;  // 3000 rpm: running at speed

    for (const auto& row : rows) {
        bench.Do({(QByteArray("variant ") + row.variant).constData()});
        const auto run = bench.Tester({"--to", row.address, "81", "--to", row.address, "21", "01", "--decode",
                                       row.variant});
        ASSERT_EQ(run.exitCode, 0) << row.variant << "\n" << run.out.toStdString();
        EXPECT_FALSE(run.out.contains("decode:")) << run.out.toStdString();
        const auto decoded = DecodedLines(run.out);
        const auto frame = LastReply(run.out);
        ASSERT_FALSE(frame.empty());
        const FrameView view = DecodeFrame(frame.data());
        const auto steps = LiveBlockDecoder::Decode(row.type, view.data, view.length);
        ASSERT_FALSE(steps.values.empty()) << row.variant;
        for (const auto& field : steps.values) {
            const QString name = QString::fromStdString(field.name);
            ASSERT_TRUE(decoded.count(name)) << row.variant << " printed no " << field.name;
            ASSERT_TRUE(expected.count(name)) << field.name;
            // A field holds its value to within half a count.
            EXPECT_NEAR(decoded.at(name), expected.at(name), field.step / 2 + 1e-3)
                << row.variant << " " << field.name;
        }
    }
}

}  // namespace
