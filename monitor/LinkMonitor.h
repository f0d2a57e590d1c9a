#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <utility>
#include <functional>
#include <optional>
#include <vector>

#include "monitor/DeviceReport.h"
#include "monitor/MonitorRing.h"
#include "protocol/FrameAssembler.h"
#include "protocol/LinkObserver.h"

// Everything that crosses the K-line, as rows in a bounded ring, and the report on the
// tester drawn from the same rows. Each frame costs one row and a few counts; the window
// reads the ring only while it is open. Main thread only.
class LinkMonitor : public LinkObserver {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    explicit LinkMonitor(std::size_t capacity = MonitorRing::kDefaultCapacity);

    // The controller type selected now; rows keep it so that live blocks decode as sent.
    void SetVariantSource(std::function<EcuVariant()> variant) { variant_ = std::move(variant); }

    void RequestReceived(const std::uint8_t* frame, std::size_t n, const FrameArrival& arrival) override;
    void AnsweringHeldRequest(TimePoint lastByte) override;
    void RequestUnanswered(UnansweredReason reason) override;
    void BytesIgnored(IgnoredBytes why, const std::uint8_t* bytes, std::size_t n, TimePoint arrival) override;
    // The controller's own slow-init bytes get their rows when they leave (FrameSent), the rest at once.
    void SlowInit(SlowInitStep step, std::uint8_t byte, TimePoint at) override;

    // A reply frame the port took, its first byte at `at`; a frame whose bytes left one by one
    // (a reply timing's P1) gives its last byte's moment too.
    void FrameSent(const std::uint8_t* bytes, std::size_t n, TimePoint at, std::optional<TimePoint> lastByte = {});
    // A reply frame the port did not take (refused, or closed), offered at `at`.
    void FrameRefused(const std::uint8_t* bytes, std::size_t n, TimePoint at);
    // The tester's bytes sent back on a virtual port.
    void EchoSent(const std::uint8_t* bytes, std::size_t n, TimePoint at);
    // An injected fault kept the reply to the last request off the line.
    void ReplyWithheld(TimePoint at);
    // The port was lost (closed after its device failed), or opened again.
    void PortLost(TimePoint at);
    void PortBack(TimePoint at);

    // Appends a row as it stands (a saved trace read back), or holds it with the rows held.
    void Add(MonitorRow row);

    // Rows come to the ring in time order. While received bytes are worked through, the rows
    // made meanwhile wait here: a request's row carries its first byte's moment, and the echo of
    // that byte, or a reply, may be made before the request is whole.
    void HoldRows();
    // The held rows go to the ring sorted by time, unless a frame is still being read
    // (framePending, or one read with the ignition off): its row may come before them.
    void ReleaseRows(bool framePending);
    // Releases rows held longer than `limit` whatever is pending: a frame left unfinished that
    // long is dropped as stale, and its row never comes.
    void ReleaseRowsHeldLongerThan(std::chrono::milliseconds limit);
    // Forgets the rows; times count from now.
    void ClearRows();
    // Where the monitor's time starts: its creation or the last clear.
    std::int64_t StartUs() const { return startUs_; }
    void SetStartUs(std::int64_t us) { startUs_ = us; }
    void ClearReport() { report_.Clear(); }

    const MonitorRing& Ring() const { return ring_; }
    DeviceReport& Report() { return report_; }
    const DeviceReport& Report() const { return report_; }

    static std::int64_t Micros(TimePoint at);

private:
    MonitorRow Row(MonitorRowKind kind, const std::uint8_t* bytes, std::size_t n, TimePoint at) const;
    void Event(LinkEvent event, const std::uint8_t* bytes, std::size_t n, TimePoint at,
               UnansweredReason reason = UnansweredReason::NoService);
    // A frame's row, and the row of a bad checksum after it.
    void AddFrame(MonitorRow frame);

    MonitorRing ring_;
    DeviceReport report_;
    std::function<EcuVariant()> variant_;
    // Ignition-off chunks are still read as frames here, so the row says which request went unanswered.
    FrameAssembler ignitionOff_;
    TimePoint lastRequestAt_{};
    // Slow-init bytes on their way: the row each becomes as it leaves.
    std::deque<std::pair<LinkEvent, std::uint8_t>> initBytes_;
    // The last byte of the request whose reply comes next: the newest, or a held one.
    TimePoint answeringAt_{};
    std::int64_t startUs_;
    bool holding_ = false;
    TimePoint heldSince_{};
    std::vector<MonitorRow> held_;
};
