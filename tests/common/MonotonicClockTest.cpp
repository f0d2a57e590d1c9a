#include "common/MonotonicClock.h"

#include <gtest/gtest.h>

namespace {

// The three counts read one clock in their own units: each reading taken between two
// nanosecond readings lies between them once both are brought to its unit.
TEST(MonotonicClockTest, UnitsAgree) {
    for (int i = 0; i < 1000; ++i) {
        const std::int64_t before = MonotonicNs();
        const std::int64_t us = MonotonicUs();
        const std::int64_t ms = MonotonicMs();
        const std::int64_t after = MonotonicNs();
        ASSERT_LE(before, after);
        ASSERT_LE(before / 1000, us);
        ASSERT_LE(us, after / 1000);
        ASSERT_LE(before / 1000000, ms);
        ASSERT_LE(ms, after / 1000000);
    }
}

}  // namespace
