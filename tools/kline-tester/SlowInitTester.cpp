#include "SlowInitTester.h"

#include <chrono>
#include <thread>

#include "SerialDevice.h"
#include "protocol/FiveBaudByte.h"
#include "protocol/SlowInitRecogniser.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

SlowInitTester::SlowInitTester(SerialDevice& device, int w4Ms, std::optional<std::uint8_t> answer)
    : device_(device), w4Ms_(w4Ms), answer_(answer) {}

SlowInitTester::Result SlowInitTester::Run(std::uint8_t address) {
    Result result;
    const int idleMs = static_cast<int>(SlowInitRecogniser::kIdleBefore.count());
    // W5: the line must rest before the address.
    std::uint8_t buffer[256];
    for (;;) {
        const int n = device_.Read(buffer, sizeof buffer, idleMs, &result.error);
        if (n < 0) return result;
        if (n == 0) break;
    }
    Clock::time_point end;
    if (device_.IsPseudoTerminal()) {
        if (!device_.Write(&address, 1, &result.error)) return result;
        end = Clock::now();
    } else {
        const Clock::time_point start = Clock::now();
        for (int slot = 0; slot < kFiveBaudSlots; ++slot) {
            std::this_thread::sleep_until(start + std::chrono::milliseconds(slot * kFiveBaudBitMs));
            if (!device_.SetBreak(FiveBaudSlotLow(address, slot), &result.error)) return result;
        }
        end = start + std::chrono::milliseconds(kFiveBaudByteMs);
        std::this_thread::sleep_until(end);
        // What the breaks left in our own receiver.
        if (device_.DiscardInput(&result.error) < 0) return result;
    }
    result.steps.push_back({"address at 5 baud", address, 0});

    // The next byte of the controller that is not `skip` (our own bytes heard back), and when it came.
    auto readByte = [&](const char* what, std::optional<std::uint8_t> skip, Clock::time_point& at) -> int {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kByteWaitMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() < 0) {
                result.error = std::string("no ") + what + " within " + std::to_string(kByteWaitMs) + " ms";
                return -1;
            }
            std::uint8_t byte = 0;
            const int n = device_.Read(&byte, 1, static_cast<int>(left.count()) + 1, &result.error);
            if (n < 0) return -1;
            if (n == 0) continue;
            if (skip && byte == *skip) {
                skip.reset();
                continue;
            }
            at = Clock::now();
            result.steps.push_back({what, byte, MsBetween(end, at)});
            return byte;
        }
    };
    Clock::time_point syncAt, kb1At, kb2At, invertedAt;
    const int sync = readByte("sync", address, syncAt);
    if (sync < 0) return result;
    if (sync != 0x55) {
        result.error = "the sync byte is not 55";
        return result;
    }
    const int kb1 = readByte("key byte 1", std::nullopt, kb1At);
    if (kb1 < 0) return result;
    const int kb2 = readByte("key byte 2", std::nullopt, kb2At);
    if (kb2 < 0) return result;
    result.kb1 = static_cast<std::uint8_t>(kb1);
    result.kb2 = static_cast<std::uint8_t>(kb2);
    result.w1Ms = MsBetween(end, syncAt);
    result.w2Ms = MsBetween(syncAt, kb1At);
    result.w3Ms = MsBetween(kb1At, kb2At);

    std::this_thread::sleep_until(kb2At + std::chrono::milliseconds(w4Ms_));
    const std::uint8_t answer = answer_.value_or(static_cast<std::uint8_t>(~result.kb2));
    if (!device_.Write(&answer, 1, &result.error)) return result;
    const Clock::time_point answeredAt = Clock::now();
    result.w4Ms = MsBetween(kb2At, answeredAt);
    result.steps.push_back({"inverted key byte 2 sent", answer, MsBetween(end, answeredAt)});

    const int inverted = readByte("inverted address", answer, invertedAt);
    if (inverted < 0) return result;
    result.w4ControllerMs = MsBetween(answeredAt, invertedAt);
    if (inverted != static_cast<std::uint8_t>(~address)) {
        result.error = "the inverted address is wrong";
        return result;
    }
    result.ok = true;
    return result;
}
