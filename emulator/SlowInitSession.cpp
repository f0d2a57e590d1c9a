#include "emulator/SlowInitSession.h"

std::array<SlowInitSession::TimedByte, 3> SlowInitSession::Begin(std::uint8_t address, KeyBytes keys,
                                                                 SlowInitLink link, TimePoint end,
                                                                 const SlowInitTiming& timing) {
    stage_ = Stage::AwaitingInvertedKey;
    address_ = address;
    link_ = link;
    keys_ = keys;
    sent_ = {kSync, keys.kb1, keys.kb2};
    echoesHeard_ = 0;
    const TimePoint sync = end + std::chrono::milliseconds(timing.w1Ms);
    const TimePoint kb1 = sync + std::chrono::milliseconds(SlowInitTiming::kW2Ms);
    lastKey_ = kb1 + std::chrono::milliseconds(SlowInitTiming::kW3Ms);
    return {TimedByte{kSync, sync}, TimedByte{keys.kb1, kb1}, TimedByte{keys.kb2, lastKey_}};
}

std::optional<SlowInitSession::TimedByte> SlowInitSession::TesterByte(std::uint8_t byte, TimePoint arrival,
                                                                      const SlowInitTiming& timing) {
    if (stage_ != Stage::AwaitingInvertedKey) {
        return std::nullopt;
    }
    // A single-wire line gives our own bytes back before the tester's.
    if (echoesHeard_ < sent_.size() && byte == sent_[echoesHeard_]) {
        ++echoesHeard_;
        return std::nullopt;
    }
    if (byte != static_cast<std::uint8_t>(~keys_.kb2)) {
        stage_ = Stage::Idle;
        return std::nullopt;
    }
    stage_ = Stage::Active;
    const TimePoint moment = arrival + std::chrono::milliseconds(timing.w4Ms);
    lastRequest_ = moment;
    return TimedByte{static_cast<std::uint8_t>(~address_), moment};
}

std::optional<SlowInitSession::TimePoint> SlowInitSession::Deadline() const {
    switch (stage_) {
    case Stage::AwaitingInvertedKey:
        return lastKey_ + kInvertedKeyWait;
    case Stage::Active:
        return lastRequest_ + kP3Max;
    case Stage::Idle:
        break;
    }
    return std::nullopt;
}

bool SlowInitSession::Expire(TimePoint now) {
    const std::optional<TimePoint> due = Deadline();
    if (!due || now < *due) {
        return false;
    }
    stage_ = Stage::Idle;
    return true;
}
