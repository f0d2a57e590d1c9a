#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "emulator/EcuEmulator.h"
#include "emulator/FakeEnvironment.h"

// An emulator on a fake port with a hand-driven clock: each chunk arrives a given number
// of milliseconds after the previous one and is handed over in one OnRxChar event.
struct EmulatorHarness {
    using Bytes = std::vector<std::uint8_t>;

    explicit EmulatorHarness(EcuVariant variant = EcuVariant::Ja5) { env.variant = variant; }

    void Chunk(const Bytes& bytes, int afterMs = 10) {
        now += std::chrono::milliseconds(afterMs);
        env.Arrive(bytes);
        emulator.SerComm1RxChar(env.Waiting());
    }

    // The frames written since the last call.
    std::vector<Bytes> Replies() {
        std::vector<Bytes> replies;
        replies.swap(env.written);
        return replies;
    }

    FakeEnvironment env;
    std::chrono::steady_clock::time_point now{};
    EcuEmulator emulator{env, [this] { return now; }};
};
