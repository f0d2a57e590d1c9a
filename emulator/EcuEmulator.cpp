#include "emulator/EcuEmulator.h"

#include <algorithm>
#include <string>
#include <utility>

#include "common/HexText.h"

namespace {

// " - > " and every byte of the chunk as " XX".
std::string LogLine(const std::uint8_t* bytes, std::size_t n) {
    std::string line = " - > ";
    AppendHexText(line, bytes, n);
    return line;
}

}  // namespace

EcuEmulator::EcuEmulator(EcuEnvironment& env, Clock clock, Fluctuation::SeedSource seedSource)
    : env_(env),
      clock_(clock ? std::move(clock) : Clock(std::chrono::steady_clock::now)),
      fluctuation_(std::move(seedSource)),
      framer_(env),
      dispatcher_(env, fluctuation_, framer_) {}

void EcuEmulator::SerComm1RxChar(int count) {
    const int capacity = static_cast<int>(rxBuffer_.size());
    while (count > 0) {
        const int wanted = std::min(count, capacity);
        const int read = std::min(env_.ReadBuf(rxBuffer_.data(), wanted), wanted);
        if (read <= 0) {
            return;
        }
        count -= read;
        HandleChunk(static_cast<std::size_t>(read));
        if (read < wanted) {
            return;
        }
    }
}

void EcuEmulator::HandleChunk(std::size_t n) {
    env_.SetLamp(Lamp::UiLED1, true);
    if (!env_.IgnitionOn()) {
        return;
    }
    env_.SetLamp(Lamp::UiLED2, true);
    env_.AppendLog(LogLine(rxBuffer_.data(), n));

    assembler_.Accept(rxBuffer_.data(), n, clock_());
    while (const auto frame = assembler_.NextFrame()) {
        // A frame without data bytes names no service: answering it would repeat
        // whatever request RequestData still holds.
        if (frame->length == 0) {
            continue;
        }
        std::copy_n(frame->data, frame->length, requestData_.begin());
        dispatcher_.Dispatch(requestData_, frame->target, frame->source);
    }
}

void EcuEmulator::Timer4Timer() {
    fluctuation_.Timer4Timer(env_.TripCheckRunning());
}

void EcuEmulator::ResetFlags() {
    dispatcher_.SetCommunicationActive(false);
    assembler_.Reset();
}
