#include "serial/TSerCommBuffer.h"
#include "serial/TSerEventChars.h"
#include "serial/TSerFlowControl.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(TSerPersistent, ChangesAreToldOnceAfterTheLastEndUpdate) {
    TSerFlowControl flow;
    int told = 0;
    flow.SetOnChange([&] { ++told; });
    flow.BeginUpdate();
    flow.BeginUpdate();
    flow.SetOutCtsFlow(true);
    flow.EndUpdate();
    EXPECT_EQ(told, 0);
    flow.EndUpdate();
    EXPECT_EQ(told, 1);
    flow.EndUpdate();  // never below zero: the next change is told at once
    EXPECT_EQ(flow.UpdateCount(), 0);
    flow.SetXonXoffIn(true);
    EXPECT_EQ(told, 3);
}

TEST(TSerPersistent, AssignCopiesEveryValueAndTellsOnce) {
    TSerEventChars source;
    source.SetXonChar(0x21);
    source.SetXoffChar(0x23);
    source.SetErrorChar(0x3F);
    source.SetEventChar(0x0D);
    source.SetEofChar(0x1A);
    TSerEventChars target;
    int told = 0;
    target.SetOnChange([&] { ++told; });
    target.Assign(source);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(target.XonChar(), 0x21);
    EXPECT_EQ(target.XoffChar(), 0x23);
    EXPECT_EQ(target.ErrorChar(), 0x3F);
    EXPECT_EQ(target.EventChar(), 0x0D);
    EXPECT_EQ(target.EofChar(), 0x1A);
}

TEST(TSerCommBuffer, AppendAndRemoveKeepTheOrderOfBytes) {
    TSerCommBuffer queue(4);
    const std::uint8_t first[] = {0x81, 0x10, 0xF1};  // header of a one-byte request
    EXPECT_TRUE(queue.Append(first, 3));
    const std::uint8_t second[] = {0x81, 0x03};
    EXPECT_FALSE(queue.Append(second, 2));  // does not fit: nothing stored
    EXPECT_EQ(queue.Count(), 3);
    queue.Remove(1);
    EXPECT_TRUE(queue.Append(second, 2));
    EXPECT_EQ(std::vector<std::uint8_t>(queue.Data(), queue.Data() + queue.Count()),
              (std::vector<std::uint8_t>{0x10, 0xF1, 0x81, 0x03}));
    queue.Remove(10);
    EXPECT_EQ(queue.Count(), 0);
}

}  // namespace
