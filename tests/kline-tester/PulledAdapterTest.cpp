#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "SerialDevice.h"
#include "support/PseudoTerminal.h"

namespace {

// The tester's adapter pulled out under it: every use of the device fails at once and says why,
// rather than passing for a line that stays silent.
TEST(PulledAdapter, EveryUseFailsAndSaysWhy) {
    auto adapter = std::make_unique<AdapterEnd>();
    SerialDevice device;
    std::string error;
    ASSERT_TRUE(device.Open(adapter->Path(), 10400, &error)) << error;
    adapter.reset();

    const std::uint8_t request[] = {0x81, 0x10, 0xF1, 0x81, 0x03};
    std::uint8_t buffer[16];
    struct Use {
        const char* name;
        bool failed;
        std::string error;
    };
    Use uses[3];
    uses[0] = {"write", !device.Write(request, sizeof request, &error), error};
    error.clear();
    uses[1] = {"read", device.Read(buffer, sizeof buffer, 2000, &error) < 0, error};
    error.clear();
    uses[2] = {"discard", device.DiscardInput(&error) < 0, error};
    for (const Use& use : uses) {
        EXPECT_TRUE(use.failed) << use.name;
        EXPECT_FALSE(use.error.empty()) << use.name;
    }
}

}  // namespace
