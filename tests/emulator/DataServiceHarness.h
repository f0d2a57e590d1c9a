#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "emulator/DataServices.h"
#include "emulator/FakeEnvironment.h"
#include "emulator/Fluctuation.h"
#include "emulator/RecordingReplySender.h"
#include "emulator/ResponseFramer.h"

using Bytes = std::vector<std::uint8_t>;

// One data service handler with a console in memory: requests go in as data bytes from
// the tester at F1, replies come out as payload, form and whole frame.
class DataServiceHarness {
public:
    DataServiceHarness() : fluctuation([this] { return nextSeed_; }), framer(env), reply(framer) {}

    // Runs one handler on a request whose data bytes are laid over the request buffer
    // (later positions keep what earlier requests left there).
    void Send(ServiceHandler handler, std::initializer_list<std::uint8_t> data, std::uint8_t target = 0x10) {
        std::copy(data.begin(), data.end(), request.begin());
        framer.SetRequestAddresses(target, 0xF1);
        ServiceContext ctx{request, target, 0xF1, env, fluctuation, reply};
        handler(ctx);
    }

    // Walks the deviations to the wanted values with fluctuation on, choosing for each
    // 100 ms step a seed that moves both walks the way they have to go.
    void SetDeviations(int speed, int fuel, std::uint8_t percent) {
        fluctuation.Configure(true, percent);
        fluctuation.ResetDeviations();
        for (int step = 0; step < 600; ++step) {
            const int wantSpeed = Direction(speed - fluctuation.SpeedDeviationPercent());
            const int wantFuel = Direction(fuel - fluctuation.FuelDeviationPercent());
            if (wantSpeed == 0 && wantFuel == 0) {
                return;
            }
            bool stepped = false;
            for (std::uint32_t seed = 1; seed < 100000 && !stepped; ++seed) {
                nextSeed_ = seed;
                Fluctuation probe = fluctuation;
                probe.Timer4Timer(true);
                if (probe.SpeedDeviationPercent() - fluctuation.SpeedDeviationPercent() == wantSpeed &&
                    probe.FuelDeviationPercent() - fluctuation.FuelDeviationPercent() == wantFuel) {
                    fluctuation = probe;
                    stepped = true;
                }
            }
            if (!stepped) {
                return;  // out of reach: the caller's check of the deviations fails
            }
        }
    }

    int Replies() const { return static_cast<int>(reply.replies.size()); }
    const RecordingReplySender::Reply& LastReply() const { return reply.replies.back(); }
    const Bytes& LastFrame() const { return env.written.back(); }

    FakeEnvironment env;
    Fluctuation fluctuation;
    ResponseFramer framer;
    RecordingReplySender reply;
    RequestBuffer request{};

private:
    static int Direction(int difference) { return (difference > 0) - (difference < 0); }
    std::uint32_t nextSeed_ = 1;
};
