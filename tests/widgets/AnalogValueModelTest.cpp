#include "widgets/AnalogValueModel.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {

void SetRange(AnalogValueModel& model, float from, float to) {
    model.Settings().SetValueFrom(from);
    model.Settings().SetValueTo(to);
}

TEST(AnalogValueModel, ClampsQuantisesAndNotifiesOnlyOnANewDigit) {
    struct Row { const char* what; float from, to, start, set; int digit; float value; bool notifies; } rows[] = {
        {"above the range", 0, 250, 5, 300, 1000, 250, true},
        {"below the range", 0, 250, 5, -5, 0, 0, true},
        {"rounds to the current digit", 0, 250, 5.0f, 5.1f, 20, 5.1f, false},
        {"next digit snaps to the grid", 0, 250, 5.0f, 5.2f, 21, 5.25f, true},
        {"half a step rounds to even (down)", 0, 250, 5, 0.125f, 0, 0.0f, true},
        {"half a step rounds to even (up)", 0, 250, 5, 0.375f, 2, 0.5f, true},
        {"supply voltage start", 5.2f, 17.9f, 13, 11.3976f, 488, 11.3976f, true},
        {"negative range", -40, 160, 0, 20, 300, 20, true},
        {"not finite", 0, 250, 5, std::nanf(""), 20, 5, false},
    };
    for (const Row& c : rows) {
        AnalogValueModel model;
        SetRange(model, c.from, c.to);
        model.SetValue(c.start);
        EXPECT_EQ(model.SetValue(c.set), c.notifies) << c.what;
        EXPECT_EQ(model.Digit(), c.digit) << c.what;
        EXPECT_NEAR(model.Value(), c.value, 1e-4) << c.what;
    }
}

// A release reports once after an operator change, and not after a step against the end: the
// dial's key table; a value set by code is no change to report: here.
TEST(AnalogValueModel, NewRangeKeepsTheValueOnTheNewGrid) {
    AnalogValueModel model;
    model.SetValue(20);
    EXPECT_FALSE(model.FinishChange());
    SetRange(model, -40, 160);
    EXPECT_FLOAT_EQ(model.Value(), 20.0f);
    EXPECT_EQ(model.Digit(), 300);
    EXPECT_FALSE(model.FinishChange());
    // A range that no longer holds the value clamps it.
    model.Settings().SetValueTo(10);
    EXPECT_FLOAT_EQ(model.Value(), 10.0f);
    EXPECT_EQ(model.Digit(), 1000);
}

TEST(SignalSettings, DerivesSpansAndRefusesACollapsedRange) {
    TSignalSettings s;
    int changes = 0;
    s.SetOnChange([&] { ++changes; });
    s.SetValueFrom(5.2f);
    s.SetValueTo(17.9f);
    EXPECT_EQ(changes, 2);  // the spans of 5.2 to 17.9: the model's supply voltage row
    EXPECT_NEAR(s.ValueSpan(), 12.7, 1e-5);

    // An end equal to either current end is ignored, and so is an unchanged text.
    s.SetValueFrom(17.9f);
    s.SetValueTo(5.2f);
    s.SetName1("SignalName1");
    EXPECT_EQ(changes, 2);
    EXPECT_FLOAT_EQ(s.ValueFrom(), 5.2f);

    // A reversed range keeps the last sound spans until it is sound again.
    s.SetValueFrom(20.0f);
    EXPECT_NEAR(s.ValueSpan(), 12.7, 1e-5);
    s.SetValueTo(30.0f);
    EXPECT_NEAR(s.ValueSpan(), 10.0, 1e-6);
}

// Ends taken in either order: a source above the target's range, then one below it.
TEST(SignalSettings, AssignCopiesEveryPropertyWhateverTheOrderOfTheEnds) {
    TSignalSettings source, low, target;
    source.SetValueTo(200);
    source.SetValueFrom(100);
    source.SetName1("Путь");
    source.SetName2("");
    source.SetValueUnit("км");
    source.SetValueFormat("#####0.000;-0");
    target.Assign(source);
    EXPECT_FLOAT_EQ(target.ValueFrom(), 100);
    EXPECT_FLOAT_EQ(target.ValueTo(), 200);
    EXPECT_EQ(target.Name1(), "Путь");
    EXPECT_EQ(target.Name2(), "");
    EXPECT_EQ(target.ValueUnit(), "км");
    EXPECT_EQ(target.WidestFormatText(), "#####0.000");
    low.SetValueFrom(-50);
    low.SetValueTo(0);
    target.Assign(low);
    EXPECT_FLOAT_EQ(target.ValueFrom(), -50);
    EXPECT_FLOAT_EQ(target.ValueTo(), 0);
}

}  // namespace
