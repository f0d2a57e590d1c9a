#include "emulator/EcuEmulator.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "common/HexText.h"
#include "emulator/AnsweringAddress.h"
#include "protocol/Iso9141Frame.h"
#include "emulator/SessionServices.h"

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

    RunDue(arrival);
    if (session_.CurrentStage() == SlowInitSession::Stage::AwaitingInvertedKey) {
        AwaitInvertedKey(n, arrival);
        AskWake();
        return;
    }
    recogniser_.SetAddresses(SlowInitAddresses());
    ReportLoneByte(false);  // whatever comes now, a lone byte before it was no address
    if (session_.Active() && session_.Link() == SlowInitLink::Iso9141) {
        // Accepting first drops a stale start: after 300 ms of silence no request is in progress.
        iso9141_.Accept(rxBuffer_.data(), n, arrival);
        HearSlowInit(n, arrival, iso9141_.Pending());
        if (observer_ != nullptr) {
            const auto& dropped = iso9141_.Dropped();
            if (!dropped.empty()) {
                observer_->BytesIgnored(IgnoredBytes::StalePartialFrame, dropped.data(), dropped.size(), arrival);
            }
            const auto& ignored = iso9141_.Ignored();
            if (!ignored.empty() && !loneByte_) {
                observer_->BytesIgnored(IgnoredBytes::NotAFrameStart, ignored.data(), ignored.size(), arrival);
            }
        }
        AskWake();
        return;
    }

    // Functional frames are taken only while the selected type answers OBD-II, and from a tester
    // that woke it with a fast init, or with a slow init to 0x33 that opened a KWP2000 link.
    assembler_.SetAcceptFunctional(obd_.Enabled() && (obdProtocols_.fast || KwpSlowInitAt33()));
    assembler_.Accept(rxBuffer_.data(), n, arrival);
    HearSlowInit(n, arrival, assembler_.SplitFramePending());
    if (observer_ != nullptr) {
        const auto stale = assembler_.DroppedStale();
        if (stale.n > 0) {
            observer_->BytesIgnored(IgnoredBytes::StalePartialFrame, stale.bytes, stale.n, arrival);
        }
    }
    while (const auto frame = assembler_.NextFrame()) {
        Serve(*frame, arrival);
    }
    // A lone byte that may be a 5-baud address is told of once it is known to be none.
    if (observer_ != nullptr && !loneByte_) {
        ReportIgnored(arrival);
    }
    AskWake();
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
    if (session_.Active() && session_.Link() == SlowInitLink::Kwp) {
        session_.RequestRead(arrival);
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
    env_.AnsweringRequest(lastByteRead, std::chrono::milliseconds::zero());
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
    // StopCommunication closes a link a slow init opened as it closes any other.
    if (session_.Active() && session_.Link() == SlowInitLink::Kwp && !dispatcher_.CommunicationActive()) {
        session_.End();
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
    session_.End();
    recogniser_.Reset();
    iso9141_.Reset();
    AskWake();
}

void EcuEmulator::TimeReached() {
    askedWake_.reset();  // the call-back has come: whatever is due now is asked for again
    RunDue(clock_());
    AskWake();
}

void EcuEmulator::AskWake() {
    std::optional<FrameAssembler::TimePoint> next;
    for (const auto& due : {recogniser_.Deadline(), session_.Deadline(), iso9141_.Deadline()}) {
        if (due && (!next || *due < *next)) {
            next = due;
        }
    }
    // Asked only when it changes: every chunk would otherwise re-arm the console's timer.
    if (askedWake_ && *askedWake_ == next) {
        return;
    }
    askedWake_ = next;
    env_.WakeAt(next);
}

std::vector<std::uint8_t> EcuEmulator::SlowInitAddresses() const {
    std::vector<std::uint8_t> addresses;
    const EcuVariant variant = env_.Variant();
    if (obd_.Enabled() && obdProtocols_.SlowInitAt33()) {
        addresses.push_back(kObdFunctionalAddress);
    }
    if (slowInit_.For(variant)) {
        for (const std::uint8_t own : {kEngineAddress, kSecondEngineAddress}) {
            if (BranchAt(own, variant) != ServiceBranch::None) {
                addresses.push_back(own);
            }
        }
    }
    return addresses;
}

bool EcuEmulator::KwpSlowInitAt33() const {
    return session_.Active() && session_.Link() == SlowInitLink::Kwp && session_.Address() == kObdFunctionalAddress;
}

void EcuEmulator::HearSlowInit(std::size_t n, FrameAssembler::TimePoint arrival, bool frameInProgress) {
    recogniser_.Bytes(rxBuffer_.data(), n, arrival, frameInProgress);
    if (recogniser_.HoldsLoneByte()) {
        loneByte_ = {rxBuffer_[0], arrival};
    }
}

void EcuEmulator::ReportLoneByte(bool heard) {
    if (!loneByte_) {
        return;
    }
    if (!heard && observer_ != nullptr) {
        observer_->BytesIgnored(IgnoredBytes::NotAFrameStart, &loneByte_->first, 1, loneByte_->second);
    }
    loneByte_.reset();
}

void EcuEmulator::RunDue(FrameAssembler::TimePoint now) {
    if (const auto heard = recogniser_.Check(now)) {
        ReportLoneByte(BeginSlowInit(*heard));
    }
    if (const auto frame = iso9141_.Check(now)) {
        ServeIso9141(*frame);
    }
    const bool wasActive = session_.Active();
    if (session_.Expire(now)) {
        if (wasActive && session_.Link() == SlowInitLink::Kwp) {
            dispatcher_.SetCommunicationActive(false);
        }
        iso9141_.Reset();
        if (observer_ != nullptr) {
            observer_->SlowInit(wasActive ? SlowInitStep::LinkDropped : SlowInitStep::Refused, session_.Address(), now);
        }
    }
}

bool EcuEmulator::BeginSlowInit(const SlowInitRecogniser::Heard& heard) {
    const EcuVariant variant = env_.Variant();
    if (!env_.IgnitionOn()) {
        return false;
    }
    SlowInitSession::KeyBytes keys{};
    SlowInitLink link = SlowInitLink::Kwp;
    if (heard.address == kObdFunctionalAddress) {
        // The options may have changed since the address began.
        if (!obd_.Enabled() || !obdProtocols_.SlowInitAt33()) {
            return false;
        }
        // With both on, the controller's own protocol, KWP2000, answers.
        link = obdProtocols_.slow ? SlowInitLink::Kwp : SlowInitLink::Iso9141;
        const auto& bytes = obdProtocols_.slow ? kIso14230SlowInitKeyBytes : kIso9141KeyBytes;
        keys = {bytes[0], bytes[1]};
    } else {
        const auto own = StartCommunicationKeyBytes(heard.address, variant);
        if (!slowInit_.For(variant) || !own) {
            return false;
        }
        keys = {(*own)[0], (*own)[1]};
    }
    // A new init ends whatever link was open.
    dispatcher_.SetCommunicationActive(false);
    assembler_.Reset();
    iso9141_.Reset();
    if (observer_ != nullptr) {
        observer_->SlowInit(SlowInitStep::Address, heard.address, heard.end);
    }
    const auto bytes = session_.Begin(heard.address, keys, link, heard.end, initTiming_);
    WriteInitByte(SlowInitStep::Sync, bytes[0]);
    WriteInitByte(SlowInitStep::KeyByte1, bytes[1]);
    WriteInitByte(SlowInitStep::KeyByte2, bytes[2]);
    return true;
}

void EcuEmulator::AwaitInvertedKey(std::size_t n, FrameAssembler::TimePoint arrival) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t byte = rxBuffer_[i];
        const auto inverted = session_.TesterByte(byte, arrival, initTiming_);
        if (inverted) {
            if (observer_ != nullptr) {
                observer_->SlowInit(SlowInitStep::InvertedKey, byte, arrival);
            }
            WriteInitByte(SlowInitStep::InvertedAddress, *inverted);
            if (session_.Link() == SlowInitLink::Kwp) {
                dispatcher_.SetCommunicationActive(true);
            }
            return;  // what came with it is no request
        }
        if (session_.CurrentStage() == SlowInitSession::Stage::Idle) {
            if (observer_ != nullptr) {
                observer_->SlowInit(SlowInitStep::Refused, byte, arrival);
            }
            return;
        }
    }
}

void EcuEmulator::WriteInitByte(SlowInitStep step, const SlowInitSession::TimedByte& byte) {
    if (observer_ != nullptr) {
        observer_->SlowInit(step, byte.byte, byte.moment);
    }
    env_.WriteAt(&byte.byte, 1, byte.moment);
}

void EcuEmulator::ServeIso9141(const Iso9141Assembler::Frame& frame) {
    if (observer_ != nullptr) {
        observer_->RequestReceived(frame.bytes.data(), frame.bytes.size(), frame.arrival);
    }
    session_.RequestRead(frame.arrival.last);
    const std::size_t length = frame.bytes.size() - kIso9141HeaderSize - 1;
    std::copy_n(frame.bytes.begin() + kIso9141HeaderSize, length, requestData_.begin());
    env_.AnsweringRequest(frame.arrival.last, kIso9141P2Min);
    const std::uint64_t before = framer_.FramesWritten();
    framer_.SetIso9141Replies(ObdResponder::ReplyAddress(env_.Variant()));
    obd_.Iso9141(requestData_, length);
    framer_.SetIso9141Replies(std::nullopt);
    if (observer_ != nullptr && framer_.FramesWritten() == before) {
        observer_->RequestUnanswered(UnansweredReason::NoService);
    }
}
