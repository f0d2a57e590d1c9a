#include <QRegularExpression>
#include <gtest/gtest.h>
#include <map>

#include "support/BenchRun.h"
#include "protocol/LiveBlockDecoder.h"
#include "protocol/KwpFrame.h"

namespace {

TEST(DecodeRoundTripTest, EveryControllerTypeGivesBackWhatWasSet) {
    BenchRun bench;
    ASSERT_TRUE(bench.Started());
    // The idle speed goes first, as it pulls the engine speed along.
    bench.Do({"click ignition", "set idle-rpm 850", "set rpm 3000", "set speed 60", "set coolant 90", "set throttle 37",
              "set idle-valve 45", "set fuel-flow 4.2", "set air-flow 25.5", "set voltage 13.8", "set injection 3.5",
              "dtc 4 on", "dtc 50 on", "dtc 113 on"});
    std::map<std::string, double> expected = {{"dtc-count", 3}, {"run-state", 0}};  // 3000 rpm: running at speed
    for (const char* name : {"speed", "coolant", "rpm", "throttle", "idle-valve", "fuel-flow", "air-flow", "voltage",
                             "idle-rpm", "injection", "consumption"}) {
        expected[name] = bench.Ask((QByteArray("get ") + name).constData()).mid(3).toDouble();
    }
    const QRegularExpression printed(QStringLiteral(R"(^   ([a-z-]+) (-?[\d.e+-]+)(?: \S+)?$)"),
                                     QRegularExpression::MultilineOption);
    const QRegularExpression reply(QStringLiteral(R"(^<- ((?:[0-9A-F]{2} ?)+)  latency)"),
                                   QRegularExpression::MultilineOption);
    const std::pair<const char*, const char*> rows[] = {{"Ja5", "10"}, {"B1", "10"},  {"Ja7", "10"},
                                                        {"B7", "11"},  {"BMP", "11"}, {"b17", "10"}};
    for (const auto& [variant, address] : rows) {
        bench.Do({(QByteArray("variant ") + variant).constData()});
        const auto run = bench.Tester({"--to", address, "81", "--to", address, "21", "01", "--decode", variant});
        ASSERT_EQ(run.exitCode, 0) << variant << "\n" << run.out.toStdString();
        EXPECT_FALSE(run.out.contains("decode:")) << run.out.toStdString();
        std::map<std::string, double> decoded;
        for (auto it = printed.globalMatch(run.out); it.hasNext();) {
            const auto m = it.next();
            decoded[m.captured(1).toStdString()] = m.captured(2).toDouble();
        }
        // The 21 01 reply, the last one printed, tells which fields the type has and how
        // close each can come to its value.
        QByteArray frame;
        for (auto it = reply.globalMatch(run.out); it.hasNext();) frame = QByteArray::fromHex(it.next().captured(1).toLatin1());
        ASSERT_GT(frame.size(), 5) << run.out.toStdString();
        const FrameView view = DecodeFrame(reinterpret_cast<const std::uint8_t*>(frame.constData()));
        const auto fields = LiveBlockDecoder::Decode(*VariantByShortName(variant), view.data, view.length);
        ASSERT_FALSE(fields.values.empty()) << variant;
        for (const auto& field : fields.values) {
            ASSERT_TRUE(decoded.count(field.name)) << variant << " printed no " << field.name;
            EXPECT_NEAR(decoded.at(field.name), expected.at(field.name), field.step / 2 + 1e-3) << variant << " " << field.name;
        }
    }
}

}  // namespace
