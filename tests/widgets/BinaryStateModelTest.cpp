#include "widgets/BinaryStateModel.h"

#include <gtest/gtest.h>

namespace {

TEST(BinaryStateModel, PressAndReleaseChangeTheStateByMode) {
    struct Row { TUiMode mode; bool start, afterPress, afterRelease; } rows[] = {
        {mButton, false, true, false},    {mSwitch, false, true, true},      {mSwitch, true, false, false},
        {mIndicator, false, false, false}, {mIndicator, true, true, true},   {mRadioButton, false, true, true},
    };
    for (const Row& c : rows) {
        BinaryStateModel model;
        model.SetMode(c.mode);
        model.SetStatusBit(3);
        model.SetChecked(c.start);
        model.Press();
        EXPECT_TRUE(model.Pressed());
        EXPECT_EQ(model.Checked(), c.afterPress) << "mode " << c.mode << " from " << c.start;
        model.Release();
        EXPECT_FALSE(model.Pressed());
        EXPECT_EQ(model.Checked(), c.afterRelease) << "mode " << c.mode << " from " << c.start;
    }
}

TEST(BinaryStateModel, CheckedRunsItsNotificationOncePerChange) {
    BinaryStateModel model;
    int statusChanges = 0, statusIntChanges = 0;
    model.SetHooks({[&] { ++statusChanges; }, [&] { ++statusIntChanges; }, nullptr});
    model.SetChecked(true);
    model.SetChecked(true);
    EXPECT_EQ(statusChanges, 1);
    EXPECT_EQ(statusIntChanges, 1);
    EXPECT_EQ(model.StatusInt(), 1);
    model.SetChecked(false);
    EXPECT_EQ(statusChanges, 2);
    EXPECT_EQ(model.StatusInt(), 0);
    EXPECT_EQ(model.LowestBit(), 32);
}

TEST(BinaryStateModel, StatusBitsFollowTheRules) {
    BinaryStateModel model;
    model.SetStatusBit(31);
    model.SetChecked(true);
    // Bit 31 is the sign bit of StatusInt.
    EXPECT_EQ(static_cast<std::uint32_t>(model.StatusInt()), 0x80000000u);
    EXPECT_EQ(model.LowestBit(), 31);
    model.SetStatusBit(32);
    model.SetStatusBit(-1);
    EXPECT_EQ(model.StatusBit(), 31);
    // Another bit of the set does not check this widget.
    model.SetStatusInt(0x06);
    EXPECT_FALSE(model.Checked());
    EXPECT_EQ(model.LowestBit(), 1);
    model.SetStatusBit(2);
    EXPECT_TRUE(model.Checked());
    // Unchecking clears only this widget's bit.
    model.SetChecked(false);
    EXPECT_EQ(model.StatusInt(), 0x02);

    model.SetMode(mRadioButton);
    EXPECT_EQ(model.StatusInt(), 1);
    model.SetChecked(true);
    EXPECT_EQ(model.StatusInt(), 0x04);
    model.SetMode(mButton);
    EXPECT_EQ(model.StatusInt(), 0);
    EXPECT_FALSE(model.Checked());
}

}  // namespace
