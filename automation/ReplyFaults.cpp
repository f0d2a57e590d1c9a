#include "automation/ReplyFaults.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "common/MonotonicClock.h"
#include "protocol/KwpFrame.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kNegativeResponse = 0x7F;
constexpr std::uint8_t kBusyRepeatRequest = 0x21;
constexpr std::uint8_t kResponsePending = 0x78;

int Clamped(ReplyFaultMode mode, int value) {
    switch (mode) {
    case ReplyFaultMode::Delay: return std::clamp(value, 0, kMaxReplyDelayMs);
    case ReplyFaultMode::Pending: return std::clamp(value, 0, kMaxPendingMs);
    case ReplyFaultMode::Gap: return std::clamp(value, 0, kMaxGapMs);
    case ReplyFaultMode::Busy: return std::clamp(value, 0, kMaxBusyReplies);
    case ReplyFaultMode::Drop: return std::clamp(value, kMinDropEvery, kMaxDropEvery);
    default: return 0;
    }
}

// The negative response with `code` to the request a reply frame answers, addressed as that
// reply; nothing when the frame is not a whole reply.
std::optional<Bytes> NegativeFor(const Bytes& reply, std::uint8_t code) {
    const FrameSize size = ExpectedFrameSize(reply.data(), reply.size());
    if (size.status != FrameSize::Status::Known || size.bytes != reply.size()) return std::nullopt;
    const FrameView view = DecodeFrame(reply.data());
    if (view.length == 0) return std::nullopt;
    // A positive reply carries the service + 40; a negative one names the service after 7F.
    const std::uint8_t service = view.data[0] == kNegativeResponse && view.length >= 2
                                     ? view.data[1]
                                     : static_cast<std::uint8_t>(view.data[0] - 0x40);
    const std::uint8_t data[] = {kNegativeResponse, service, code};
    return BuildFrame(view.target, view.source, data, sizeof data, FrameForm::Short);
}

}  // namespace

ReplyFaults::ReplyFaults(ReplyWriter writer, QObject* parent) : QObject(parent), writer_(std::move(writer)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &ReplyFaults::WriteDueFrames);
}

void ReplyFaults::SetFault(ReplyFaultMode mode, int value) {
    value_ = Clamped(mode, value);
    mode_ = mode == ReplyFaultMode::Busy && value_ == 0 ? ReplyFaultMode::None : mode;
    answered_ = 0;
}

bool ReplyFaults::FrameOut(const std::uint8_t* bytes, int count) {
    lastWithheld_ = false;
    if (count <= 0) {
        return false;
    }
    Bytes frame(bytes, bytes + count);
    lastWithheld_ = mode_ == ReplyFaultMode::Silent ||
                    (mode_ == ReplyFaultMode::Drop && (answered_ + 1) % value_ == 0);
    switch (mode_) {
    case ReplyFaultMode::None:
        break;
    case ReplyFaultMode::Silent:
        return true;
    case ReplyFaultMode::BadChecksum:
        frame.back() = static_cast<std::uint8_t>(frame.back() + 1);
        return Emit({{std::move(frame), 0}});
    case ReplyFaultMode::Delay:
        Queue({{std::move(frame), 0}}, MonotonicMs() + value_);
        return true;
    case ReplyFaultMode::Pending:
        if (auto pending = NegativeFor(frame, kResponsePending)) {
            return Emit({{std::move(*pending), 0}, {std::move(frame), value_}});
        }
        break;
    case ReplyFaultMode::Busy:
        if (auto busy = NegativeFor(frame, kBusyRepeatRequest)) {
            if (--value_ == 0) mode_ = ReplyFaultMode::None;
            return Emit({{std::move(*busy), 0}});
        }
        break;
    case ReplyFaultMode::Gap: {
        // Cut after the first half: the header and the first data bytes, then the rest.
        const auto middle = frame.begin() + static_cast<std::ptrdiff_t>(frame.size() / 2);
        Bytes rest(middle, frame.end());
        frame.erase(middle, frame.end());
        return Emit({{std::move(frame), 0}, {std::move(rest), value_, true}});
    }
    case ReplyFaultMode::Drop:
        if (++answered_ % value_ == 0) return true;
        break;
    }
    if (!pending_.empty()) {
        // Earlier replies still wait: this one must not overtake them.
        Queue({{std::move(frame), 0}}, pending_.back().dueMs);
        return true;
    }
    return false;
}

bool ReplyFaults::Emit(ReplyPieces reply) {
    if (!pending_.empty()) {
        Queue(std::move(reply), pending_.back().dueMs);
    } else {
        writer_(reply);
    }
    return true;
}

void ReplyFaults::Queue(ReplyPieces reply, std::int64_t dueMs) {
    if (!pending_.empty()) {
        dueMs = std::max(dueMs, pending_.back().dueMs);
    }
    pending_.push_back({dueMs, std::move(reply)});
    ArmTimer();
}

void ReplyFaults::WriteDueFrames() {
    const std::int64_t now = MonotonicMs();
    while (!pending_.empty() && pending_.front().dueMs <= now) {
        // Take the reply out first: the writer may hand a new reply back in.
        const ReplyPieces reply = std::move(pending_.front().reply);
        pending_.pop_front();
        writer_(reply);
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
