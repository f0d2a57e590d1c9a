#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>

#include "automation/ReplyFaultMode.h"

// Applies the chosen fault to reply frames. Delayed frames wait on a timer, never blocking the
// main thread or the link, and leave in the order they were handed over, also when the delay
// is changed or switched off meanwhile.
class ReplyFaults : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxDelayMs = kMaxReplyDelayMs;
    using FrameWriter = std::function<void(const QByteArray& frame)>;

    explicit ReplyFaults(FrameWriter writer, QObject* parent = nullptr);

    // delayMs counts for Delay only; it is clamped to 0..kMaxDelayMs.
    void SetFault(ReplyFaultMode mode, int delayMs = 0);
    ReplyFaultMode Mode() const { return mode_; }
    int DelayMs() const { return delayMs_; }

    // A reply on its way out. Returns true when the frame was taken over (dropped, altered
    // and written, or queued); false lets the caller write it unchanged now.
    bool FrameOut(const std::uint8_t* bytes, int count);

    int PendingFrames() const { return static_cast<int>(pending_.size()); }

private:
    struct PendingFrame {
        std::int64_t dueMs;
        QByteArray frame;
    };

    void Queue(QByteArray frame, std::int64_t dueMs);
    void WriteDueFrames();
    void ArmTimer();

    FrameWriter writer_;
    ReplyFaultMode mode_ = ReplyFaultMode::None;
    int delayMs_ = 0;
    std::deque<PendingFrame> pending_;
    QTimer timer_;
};
