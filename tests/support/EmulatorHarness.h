#pragma once

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "emulator/EcuEmulator.h"
#include "emulator/TroubleCodeList.h"
#include "support/FakeEnvironment.h"
#include "support/HexBytes.h"
#include "protocol/KwpFrame.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The data bytes of one reply frame: after the header (and length byte), before the checksum.
inline Bytes Data(const Bytes& frame) {
    return frame.size() < 4 ? Bytes{} : Bytes(frame.begin() + (frame[0] == 0x80 ? 4 : 3), frame.end() - 1);
}

// The console's whole list of trouble codes, the first `count` items of each given code ticked.
inline void FillTroubleCodes(FakeEnvironment& env, const std::vector<std::pair<std::string, int>>& ticks) {
    env.troubleCodes.clear();
    for (const std::string& item : TroubleCodeList()) env.troubleCodes.push_back({item, false});
    for (auto [code, count] : ticks) {
        for (auto& [text, ticked] : env.troubleCodes) {
            if (count > 0 && text.compare(0, 4, code) == 0) {
                ticked = true;
                --count;
            }
        }
    }
}

// An emulator on a fake port with a hand-driven clock and seed source: each chunk arrives
// a given number of milliseconds after the previous one, in one OnRxChar event.
struct EmulatorHarness {
    using TimePoint = std::chrono::steady_clock::time_point;
    explicit EmulatorHarness(EcuVariant variant = EcuVariant::Ja5) { env.variant = variant; }

    void Chunk(const Bytes& bytes, int afterMs = 10) {
        now += std::chrono::milliseconds(afterMs);
        env.Arrive(bytes);
        emulator.SerComm1RxChar(env.Waiting());
    }

    // The call-backs the emulator asked for, each at its moment, up to `until`; then the clock is there.
    void RunUntil(TimePoint until) {
        while (env.wake && *env.wake <= until) {
            now = *env.wake;
            emulator.TimeReached();
        }
        now = until;
    }

    // The frames written since the last call.
    std::vector<Bytes> Replies() {
        std::vector<Bytes> replies;
        replies.swap(env.written);
        return replies;
    }

    std::uint8_t Served() const { return env.variant == EcuVariant::BMP ? 0x11 : 0x10; }

    // StartCommunication at the address the type serves, its reply set aside.
    void Start() {
        const std::uint8_t start = 0x81;
        Chunk(BuildFrame(Served(), 0xF1, &start, 1, FrameForm::Short), 100);
        Replies();
    }

    // A request from `source` to `target` (0: the address the type serves); returns every
    // frame written in answer, end to end (empty: no reply).
    Bytes Send(const Bytes& data, std::uint8_t target = 0, std::uint8_t source = 0xF1) {
        Chunk(BuildFrame(target ? target : Served(), source, data.data(), data.size(), FrameForm::BySize), 100);
        Bytes answer;
        for (const Bytes& frame : Replies()) answer.insert(answer.end(), frame.begin(), frame.end());
        return answer;
    }

    // The same from the tester at F1, communication started first where need be.
    Bytes Ask(const Bytes& data, std::uint8_t target = 0) {
        if (!emulator.CommunicationActive()) Start();
        return Send(data, target);
    }

    // Fluctuation on, and the deviations walked to the wanted values with a seed chosen
    // for each 100 ms step that moves both walks the way they have to go.
    void SetDeviations(int speed, int fuel, std::uint8_t percent) {
        Fluctuation& f = emulator.GetFluctuation();
        f.Configure(true, percent);
        f.ResetDeviations();
        auto towards = [](int to, int from) { return (to > from) - (to < from); };
        bool stepped = true;
        while (stepped && (f.SpeedDeviationPercent() != speed || f.FuelDeviationPercent() != fuel)) {
            const int ds = towards(speed, f.SpeedDeviationPercent());
            const int df = towards(fuel, f.FuelDeviationPercent());
            stepped = false;  // stays false when no seed moves both walks: out of reach
            for (seed = 1; seed < 100000 && !stepped; ++seed) {
                Fluctuation probe = f;
                probe.Timer4Timer(true);
                stepped = probe.SpeedDeviationPercent() - f.SpeedDeviationPercent() == ds &&
                          probe.FuelDeviationPercent() - f.FuelDeviationPercent() == df;
                if (stepped) f = probe;
            }
        }
        EXPECT_EQ(f.SpeedDeviationPercent(), speed);
        EXPECT_EQ(f.FuelDeviationPercent(), fuel);
    }

    FakeEnvironment env;
    TimePoint now{};
    std::uint32_t seed = 1;
    EcuEmulator emulator{env, [this] { return now; }, [this] { return seed; }};
};
