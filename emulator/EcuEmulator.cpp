#include "emulator/EcuEmulator.h"

#include <algorithm>
#include <optional>
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
      dispatcher_(env, fluctuation_, framer_),
      obd_(env, fluctuation_, framer_, dispatcher_) {}

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
    }
}

FrameAssembler::TimePoint EcuEmulator::ChunkArrival() const {
    // Gaps are judged on when the bytes came, not on when this thread got to them.
    const std::optional<FrameAssembler::TimePoint> stamp = env_.LastReadArrival();
    return stamp ? *stamp : clock_();
}

void EcuEmulator::HandleChunk(std::size_t n) {
    const FrameAssembler::TimePoint arrival = ChunkArrival();
    env_.SetLamp(Lamp::UiLED1, true);
    if (!env_.IgnitionOn()) {
        if (observer_ != nullptr) {
            observer_->BytesIgnored(IgnoredBytes::IgnitionOff, rxBuffer_.data(), n, arrival);
        }
        return;
    }
    env_.SetLamp(Lamp::UiLED2, true);
    env_.AppendLog(LogLine(rxBuffer_.data(), n));

    // Functional frames are taken only while the selected type answers OBD-II.
    assembler_.SetAcceptFunctional(obd_.Enabled());
    assembler_.Accept(rxBuffer_.data(), n, arrival);
    if (observer_ != nullptr) {
        const auto stale = assembler_.DroppedStale();
        if (stale.n > 0) {
            observer_->BytesIgnored(IgnoredBytes::StalePartialFrame, stale.bytes, stale.n, arrival);
        }
    }
    while (const auto frame = assembler_.NextFrame()) {
        Serve(*frame, arrival);
    }
    if (observer_ != nullptr) {
        ReportIgnored(arrival);
    }
}

void EcuEmulator::Serve(const FrameView& frame, FrameAssembler::TimePoint arrival) {
    if (observer_ != nullptr) {
        const auto whole = assembler_.LastFrame();
        observer_->RequestReceived(whole.bytes, whole.n, assembler_.LastFrameArrival());
    }
    // A frame without data bytes names no service: answering it would repeat
    // whatever request RequestData still holds.
    if (frame.length == 0) {
        if (observer_ != nullptr) {
            observer_->RequestUnanswered(UnansweredReason::NoService);
        }
        return;
    }
    if (held_.empty() && !env_.ReplyWaiting()) {
        Answer(frame, arrival);
        return;
    }
    if (held_.size() >= static_cast<std::size_t>(kMostHeldRequests)) {
        if (observer_ != nullptr) {
            observer_->RequestUnanswered(UnansweredReason::QueueFull);
        }
        ReplyGone();
        return;
    }
    held_.push_back({std::vector<std::uint8_t>(frame.data, frame.data + frame.length), frame.target, frame.source,
                     frame.functional, arrival});
    ReplyGone();  // the reply may have gone before its notice came
}

void EcuEmulator::Answer(const FrameView& frame, FrameAssembler::TimePoint lastByteRead) {
    std::copy_n(frame.data, frame.length, requestData_.begin());
    env_.AnsweringRequest(lastByteRead);
    const std::uint64_t before = framer_.FramesWritten();
    bool addressServed = false;
    if (frame.functional) {
        addressServed = obd_.Functional(requestData_, frame.length, frame.target, frame.source);
    } else {
        addressServed = dispatcher_.Dispatch(requestData_, frame.target, frame.source);
        obd_.Physical(requestData_, frame.length, frame.target, frame.source);
    }
    if (observer_ != nullptr && framer_.FramesWritten() == before) {
        observer_->RequestUnanswered(!addressServed                       ? UnansweredReason::OtherAddress
                                     : !dispatcher_.CommunicationActive() ? UnansweredReason::NotStarted
                                                                          : UnansweredReason::NoService);
    }
}

void EcuEmulator::ReplyGone() {
    while (!held_.empty() && !env_.ReplyWaiting()) {
        const HeldRequest request = std::move(held_.front());
        held_.pop_front();
        if (observer_ != nullptr) {
            observer_->AnsweringHeldRequest(request.lastByteRead);
        }
        Answer({request.target, request.source, request.data.data(), request.data.size(), request.functional},
               request.lastByteRead);
    }
}

void EcuEmulator::ReportIgnored(FrameAssembler::TimePoint arrival) {
    auto ignored = assembler_.IgnoredAtFrameStart();
    if (ignored.n == 0) {
        return;
    }
    if (ignored.bytes[0] == 0x00) {
        observer_->BytesIgnored(IgnoredBytes::WakeUp, ignored.bytes, 1, arrival);
        ++ignored.bytes;
        --ignored.n;
    }
    if (ignored.n > 0) {
        observer_->BytesIgnored(IgnoredBytes::NotAFrameStart, ignored.bytes, ignored.n, arrival);
    }
}

void EcuEmulator::Timer4Timer() {
    fluctuation_.Timer4Timer(env_.TripCheckRunning());
}

void EcuEmulator::ResetFlags() {
    dispatcher_.SetCommunicationActive(false);
    assembler_.Reset();
    held_.clear();
}
