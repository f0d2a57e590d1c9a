#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>

#include "automation/ReplyFaultMode.h"
#include "line/ReplyPieces.h"

// Applies the chosen fault to reply frames. Delayed frames wait on a timer, never blocking the
// main thread or the link, and leave in the order they were handed over, also when the delay
// is changed or switched off meanwhile. Pauses inside a reply (pending, gap) are left to the
// line's pacer, which gets the reply as pieces.
class ReplyFaults : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxDelayMs = kMaxReplyDelayMs;
    using ReplyWriter = std::function<void(const ReplyPieces& reply)>;

    explicit ReplyFaults(ReplyWriter writer, QObject* parent = nullptr);

    // value: the milliseconds of Delay, Pending and Gap, the count of Busy, the period of Drop;
    // it is clamped to the mode's range. Any mode ends the one before, and its counts start anew.
    void SetFault(ReplyFaultMode mode, int value = 0);
    ReplyFaultMode Mode() const { return mode_; }
    // The mode's value; for Busy the replies still to be refused.
    int Value() const { return value_; }

    // A reply on its way out. Returns true when the frame was taken over (dropped, altered
    // and written, or queued); false lets the caller write it unchanged now.
    bool FrameOut(const std::uint8_t* bytes, int count);

    int PendingFrames() const { return static_cast<int>(pending_.size()); }
    // Whether the last FrameOut kept its reply off the line (silent, or a dropped one).
    bool LastWithheld() const { return lastWithheld_; }

private:
    struct PendingReply {
        std::int64_t dueMs;
        ReplyPieces reply;
    };

    bool Emit(ReplyPieces reply);
    void Queue(ReplyPieces reply, std::int64_t dueMs);
    void WriteDueFrames();
    void ArmTimer();

    ReplyWriter writer_;
    ReplyFaultMode mode_ = ReplyFaultMode::None;
    int value_ = 0;
    int answered_ = 0;  // replies seen since Drop was set
    bool lastWithheld_ = false;
    std::deque<PendingReply> pending_;
    QTimer timer_;
};
