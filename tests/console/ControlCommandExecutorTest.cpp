#include "console/ControlCommandExecutor.h"

#include <gtest/gtest.h>

#include "FakeControlTarget.h"
#include "console/ReplyFaults.h"

namespace {

class ControlCommandExecutorTest : public ::testing::Test {
protected:
    QString Run(const char* line) { return executor.Execute(QString::fromUtf8(line)); }

    FakeControlTarget target;
    ReplyFaults faults{[](const QByteArray&) {}};
    ControlCommandExecutor executor{target, faults};
};

TEST_F(ControlCommandExecutorTest, GetAnswersWhatTheConsoleShows) {
    target.mirrors[Mirror::Voltage] = QStringLiteral("13,0");
    target.mirrors[Mirror::Consumption] = QStringLiteral("2 000,0");
    target.variant = EcuVariant::b17;
    target.idents[IdentField::Vin] = QStringLiteral("XTA2110498765432109");
    target.lamps[Lamp::ESUDCONTROL5ON] = true;
    target.trip = QStringList{"1.000", "0.100", "60", "10.0", "0:01:00"};
    faults.SetFault(ReplyFaultMode::BadChecksum);

    struct Row {
        const char* line;
        const char* answer;
    };
    const Row rows[] = {
        {"get voltage", "OK 13,0"},
        {"get consumption", "OK 2 000,0"},
        {"get variant", "OK b17"},
        {"get ident 90", "OK XTA2110498765432109"},
        {"get lamp ESUDCONTROL5ON", "OK on"},
        {"get lamp ESUDCONTROL5OFF", "OK off"},
        {"get trip", "OK 1.000 0.100 60 10.0 0:01:00"},
        {"get fault", "OK bad-checksum"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Run(row.line), QString::fromUtf8(row.answer)) << row.line;
    }
}

TEST_F(ControlCommandExecutorTest, TroubleCodesCountFromOneAndBadInputChangesNothing) {
    EXPECT_EQ(Run("get dtc"), "OK");  // nothing ticked: a bare OK
    target.ticks.front() = target.ticks.back() = true;
    EXPECT_EQ(Run("get dtc"), "OK 1 113");
    const FakeControlTarget before = target;
    for (const char* line : {"dtc 114 on", "set speed 6,5", "variant Ja9", "click", "quit 1",
                             "fault delay 9999", "ident 9C x", "warp"}) {
        EXPECT_TRUE(Run(line).startsWith("ERR ")) << line;
    }
    EXPECT_EQ(target.values, before.values);
    EXPECT_TRUE(target.clicks.empty());
    EXPECT_EQ(target.variant, before.variant);
    EXPECT_EQ(target.ticks, before.ticks);
    EXPECT_TRUE(target.idents.empty());
    EXPECT_EQ(target.quits, 0);
    EXPECT_EQ(faults.Mode(), ReplyFaultMode::None);
    EXPECT_EQ(Run("dtc 114 on"), "ERR no trouble code 114, the list holds 113");
}

}  // namespace
