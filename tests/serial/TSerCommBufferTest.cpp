#include "serial/TSerCommBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

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
