#include "automation/ReplyFaults.h"

#include <algorithm>
#include <utility>

#include "common/MonotonicClock.h"

ReplyFaults::ReplyFaults(FrameWriter writer, QObject* parent)
    : QObject(parent), writer_(std::move(writer)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &ReplyFaults::WriteDueFrames);
}

void ReplyFaults::SetFault(ReplyFaultMode mode, int delayMs) {
    mode_ = mode;
    delayMs_ = mode == ReplyFaultMode::Delay ? std::clamp(delayMs, 0, kMaxDelayMs) : 0;
}

bool ReplyFaults::FrameOut(const std::uint8_t* bytes, int count) {
    if (count <= 0) {
        return false;
    }
    QByteArray frame(reinterpret_cast<const char*>(bytes), count);
    switch (mode_) {
    case ReplyFaultMode::Silent:
        return true;
    case ReplyFaultMode::BadChecksum:
        frame[count - 1] = static_cast<char>(static_cast<std::uint8_t>(frame[count - 1]) + 1);
        break;
    case ReplyFaultMode::Delay:
        Queue(std::move(frame), MonotonicMs() + delayMs_);
        return true;
    case ReplyFaultMode::None:
        break;
    }
    if (!pending_.empty()) {
        // Earlier replies still wait: this one must not overtake them.
        Queue(std::move(frame), pending_.back().dueMs);
        return true;
    }
    if (mode_ == ReplyFaultMode::None) {
        return false;
    }
    writer_(frame);
    return true;
}

void ReplyFaults::Queue(QByteArray frame, std::int64_t dueMs) {
    if (!pending_.empty()) {
        dueMs = std::max(dueMs, pending_.back().dueMs);
    }
    pending_.push_back({dueMs, std::move(frame)});
    ArmTimer();
}

void ReplyFaults::WriteDueFrames() {
    const std::int64_t now = MonotonicMs();
    while (!pending_.empty() && pending_.front().dueMs <= now) {
        // Take the frame out first: the writer may hand a new reply back in.
        const QByteArray frame = std::move(pending_.front().frame);
        pending_.pop_front();
        writer_(frame);
    }
    ArmTimer();
}

void ReplyFaults::ArmTimer() {
    if (pending_.empty()) {
        timer_.stop();
        return;
    }
    const std::int64_t wait = std::max<std::int64_t>(0, pending_.front().dueMs - MonotonicMs());
    timer_.start(static_cast<int>(wait));
}
