#include "widgets/DisplayValueModel.h"

#include <gtest/gtest.h>

namespace {

const QDateTime kNoon(QDate(2026, 3, 25), QTime(12, 0, 0));

// 0–100: 150 leaves the scale at 1500 thousandths, 120 stays out, 50 comes back, -1 leaves below;
// the text shows any value, the pointer stops at the ends.
TEST(DisplayValueModel, ReportsOneOverflowPerExcursionAndThePointerStopsAtTheEnds) {
    struct Step { float value; bool reported; long long permille; int drawn; };
    const Step steps[] = {{150, true, 1500, 1000}, {120, false, 0, 1000}, {2000, false, 0, 1000},
                          {50, true, 500, 500},    {60, false, 0, 600},    {-1, true, -10, 0},
                          {-2, false, 0, 0},       {0, true, 0, 0}};
    DisplayValueModel model;
    model.Settings().SetValueFormat("##0.0");
    for (const Step& step : steps) {
        const auto change = model.SetValue(step.value, kNoon);
        ASSERT_TRUE(change.has_value());
        EXPECT_EQ(change->overflow.value_or(0), step.permille) << step.value;
        EXPECT_EQ(change->overflow.has_value(), step.reported) << step.value;
        EXPECT_EQ(model.InOverflow(), step.value < 0 || step.value > 100) << step.value;
        EXPECT_EQ(model.DrawPermille(), step.drawn) << step.value;
    }
    model.SetValue(2000.0f, kNoon);
    EXPECT_EQ(model.Digit(), 20000);
    EXPECT_EQ(model.ValueText(), QStringLiteral("2000.0").replace(u'.', QLocale().decimalPoint()));
}

TEST(DisplayValueModel, ReportsEachChangeOfSectorAndLimit) {
    DisplayValueModel model;  // starts at 50 in sector 2, limits 10 and 90
    auto change = model.SetValue(95.0f, kNoon);
    ASSERT_TRUE(change);
    ASSERT_EQ(change->sectors.size(), 2u);
    EXPECT_EQ(change->sectors[0].sector, 2);
    EXPECT_FALSE(change->sectors[0].inside);
    EXPECT_EQ(change->sectors[1].sector, 3);
    EXPECT_TRUE(change->sectors[1].inside);
    EXPECT_TRUE(change->limitChanged && !change->below && change->above);
    change = model.SetValue(96.0f, kNoon);
    EXPECT_TRUE(change->sectors.empty());
    EXPECT_FALSE(change->limitChanged);
    change = model.SetValue(5.0f, kNoon);
    EXPECT_TRUE(change->limitChanged && change->below && !change->above);
    EXPECT_TRUE(model.InSector(1));
    EXPECT_FALSE(model.InSector(3));
    EXPECT_FALSE(model.SetValue(5.0f, kNoon).has_value());
}

TEST(DisplayValueModel, KeepsMinimumAndMaximumWithTheirTimes) {
    DisplayValueModel model;
    const QDateTime later = kNoon.addSecs(90);
    EXPECT_TRUE(model.SetValue(20.0f, kNoon)->minMaxChanged);
    EXPECT_TRUE(model.SetValue(30.0f, later)->minMaxChanged);
    EXPECT_FALSE(model.SetValue(25.0f, later)->minMaxChanged);
    EXPECT_FLOAT_EQ(model.MinMax().Min(), 20.0f);
    EXPECT_EQ(model.MinMax().MinDateTime(), kNoon);
    EXPECT_FLOAT_EQ(model.MinMax().Max(), 30.0f);
    EXPECT_EQ(model.MinMax().MaxDateTime(), later);
}

TEST(DisplayValueModel, HintListsTheChosenLines) {
    DisplayValueModel model;
    model.Settings().SetValueFormat("##0");
    model.Settings().SetValueUnit("км/ч");
    model.Settings().SetName2("скорость");
    model.SetValue(60.0f, kNoon);
    model.SetHintOptions(hoAutoHint | hoValue | hoMin | hoMax | hoMinMaxTime | hoName2);
    EXPECT_EQ(model.HintText(), "Value= 60 км/ч\nMIN= 60 км/ч 12:00:00\nMAX= 60 км/ч 12:00:00\nскорость");
    model.SetHintOptions(hoValue | hoName1);
    EXPECT_TRUE(model.HintText().isEmpty());
}

}  // namespace
