#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class SerialDevice;

// The tester's side of a slow init: 300 ms of silence, the address at 5 baud (break toggled on
// 200 ms bit slots on a real port; on a pseudo-terminal, which carries no breaks, the byte
// written whole), then 55, KB1 and KB2 read, the second key byte sent back inverted after W4,
// and the inverted address read. Every step is kept with its moment, and the W windows as
// measured.
class SlowInitTester {
public:
    struct Step {
        std::string what;
        std::uint8_t byte;
        double atMs;  // from the end of the address byte
    };
    struct Result {
        bool ok = false;
        std::string error;
        std::vector<Step> steps;
        std::uint8_t kb1 = 0, kb2 = 0;
        // W1 to W3 as the controller kept them; W4 ours, then the controller's.
        double w1Ms = 0, w2Ms = 0, w3Ms = 0, w4Ms = 0, w4ControllerMs = 0;
    };

    // How long each byte of the controller is waited for: longer than any W window, so that a
    // late controller is measured rather than missed.
    static constexpr int kByteWaitMs = 1000;

    // `answer`: the byte to send instead of the inverted second key byte (to try a wrong one).
    SlowInitTester(SerialDevice& device, int w4Ms, std::optional<std::uint8_t> answer = std::nullopt);

    Result Run(std::uint8_t address);

private:
    SerialDevice& device_;
    int w4Ms_;
    std::optional<std::uint8_t> answer_;
};
