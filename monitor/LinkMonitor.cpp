#include "monitor/LinkMonitor.h"

#include <algorithm>
#include <utility>

#include "protocol/FrameMeaning.h"

LinkMonitor::LinkMonitor(std::size_t capacity)
    : ring_(capacity), startUs_(Micros(std::chrono::steady_clock::now())) {
    // With the ignition off nobody answers, whatever the type; a functional request is a
    // request all the same and counts as one.
    ignitionOff_.SetAcceptFunctional(true);
}

void LinkMonitor::ClearRows() {
    ring_.Clear();
    held_.clear();
    startUs_ = Micros(std::chrono::steady_clock::now());
}

std::int64_t LinkMonitor::Micros(TimePoint at) {
    return std::chrono::duration_cast<std::chrono::microseconds>(at.time_since_epoch()).count();
}

MonitorRow LinkMonitor::Row(MonitorRowKind kind, const std::uint8_t* bytes, std::size_t n, TimePoint at) const {
    MonitorRow row;
    row.atUs = Micros(at);
    row.kind = kind;
    row.variant = variant_ ? variant_() : EcuVariant::Ja5;
    row.bytes.assign(bytes, bytes + n);
    return row;
}

void LinkMonitor::Add(MonitorRow row) {
    if (holding_) {
        held_.push_back(std::move(row));
        return;
    }
    report_.Add(row);
    ring_.Append(std::move(row));
}

void LinkMonitor::HoldRows() {
    if (holding_) return;
    holding_ = true;
    heldSince_ = std::chrono::steady_clock::now();
}

void LinkMonitor::ReleaseRows(bool framePending) {
    if (!holding_ || framePending || ignitionOff_.SplitFramePending()) return;
    holding_ = false;
    std::stable_sort(held_.begin(), held_.end(),
                     [](const MonitorRow& a, const MonitorRow& b) { return a.atUs < b.atUs; });
    std::vector<MonitorRow> rows;
    rows.swap(held_);
    for (MonitorRow& row : rows) Add(std::move(row));
}

void LinkMonitor::ReleaseRowsHeldLongerThan(std::chrono::milliseconds limit) {
    if (holding_ && std::chrono::steady_clock::now() - heldSince_ > limit) {
        ignitionOff_.Reset();
        ReleaseRows(false);
    }
}

void LinkMonitor::Event(LinkEvent event, const std::uint8_t* bytes, std::size_t n, TimePoint at,
                        UnansweredReason reason) {
    MonitorRow row = Row(MonitorRowKind::Event, bytes, n, at);
    row.event = event;
    row.reason = reason;
    Add(std::move(row));
}

void LinkMonitor::AddFrame(MonitorRow frame) {
    const auto header = FrameMeaning::ReadHeader(frame.bytes.data(), frame.bytes.size());
    MonitorRow checksum;
    if (header.valid && !header.checksumOk) {
        checksum.atUs = frame.atUs + frame.spanUs;
        checksum.kind = MonitorRowKind::Event;
        checksum.event = LinkEvent::BadChecksum;
        checksum.variant = frame.variant;
        checksum.bytes = {header.checksum, header.expected};
    }
    Add(std::move(frame));
    if (checksum.event == LinkEvent::BadChecksum) Add(std::move(checksum));
}

void LinkMonitor::RequestReceived(const std::uint8_t* frame, std::size_t n, const FrameArrival& arrival) {
    MonitorRow row = Row(MonitorRowKind::Request, frame, n, arrival.first);
    using std::chrono::duration_cast;
    using std::chrono::microseconds;
    row.spanUs = static_cast<std::int32_t>(duration_cast<microseconds>(arrival.last - arrival.first).count());
    row.minGapUs = static_cast<std::int32_t>(duration_cast<microseconds>(arrival.minGap).count());
    row.maxGapUs = static_cast<std::int32_t>(duration_cast<microseconds>(arrival.maxGap).count());
    answeringAt_ = arrival.last;
    AddFrame(std::move(row));
}

void LinkMonitor::AnsweringHeldRequest(TimePoint lastByte) {
    answeringAt_ = lastByte;
}

void LinkMonitor::RequestUnanswered(UnansweredReason reason) {
    Event(LinkEvent::Unanswered, nullptr, 0, answeringAt_, reason);
}

void LinkMonitor::BytesIgnored(IgnoredBytes why, const std::uint8_t* bytes, std::size_t n, TimePoint arrival) {
    switch (why) {
    case IgnoredBytes::WakeUp:
        Event(LinkEvent::WakeUp, bytes, n, arrival);
        return;
    case IgnoredBytes::NotAFrameStart:
        Event(LinkEvent::NotAFrameStart, bytes, n, arrival);
        return;
    case IgnoredBytes::StalePartialFrame:
        Event(LinkEvent::StalePartialFrame, bytes, n, arrival);
        return;
    case IgnoredBytes::IgnitionOff:
        break;
    }
    // The emulator does not read these; frames among them are shown as unanswered requests.
    ignitionOff_.Accept(bytes, n, arrival);
    bool any = false;
    while (ignitionOff_.NextFrame()) {
        any = true;
        const auto whole = ignitionOff_.LastFrame();
        RequestReceived(whole.bytes, whole.n, ignitionOff_.LastFrameArrival());
        RequestUnanswered(UnansweredReason::IgnitionOff);
    }
    if (!any && !ignitionOff_.SplitFramePending()) {
        Event(LinkEvent::IgnitionOff, bytes, n, arrival);
    }
}

void LinkMonitor::SlowInit(SlowInitStep step, std::uint8_t byte, TimePoint at) {
    switch (step) {
    case SlowInitStep::Address: Event(LinkEvent::FiveBaudAddress, &byte, 1, at); return;
    case SlowInitStep::InvertedKey: Event(LinkEvent::InvertedKey, &byte, 1, at); return;
    case SlowInitStep::Refused: Event(LinkEvent::SlowInitRefused, &byte, 1, at); return;
    case SlowInitStep::LinkDropped: Event(LinkEvent::LinkDropped, nullptr, 0, at); return;
    case SlowInitStep::Sync: initBytes_.emplace_back(LinkEvent::Sync, byte); return;
    case SlowInitStep::KeyByte1:
    case SlowInitStep::KeyByte2: initBytes_.emplace_back(LinkEvent::KeyByte, byte); return;
    case SlowInitStep::InvertedAddress: initBytes_.emplace_back(LinkEvent::InvertedAddress, byte); return;
    }
}

void LinkMonitor::FrameSent(const std::uint8_t* bytes, std::size_t n, TimePoint at, std::optional<TimePoint> lastByte) {
    if (n == 1 && !initBytes_.empty() && initBytes_.front().second == bytes[0]) {
        const LinkEvent event = initBytes_.front().first;
        initBytes_.pop_front();
        Event(event, bytes, n, at);
        return;
    }
    MonitorRow row = Row(MonitorRowKind::Reply, bytes, n, at);
    if (lastByte && *lastByte > at) {
        row.spanUs = static_cast<std::int32_t>(Micros(*lastByte) - row.atUs);
    }
    AddFrame(std::move(row));
}

void LinkMonitor::FrameRefused(const std::uint8_t* bytes, std::size_t n, TimePoint at) {
    Event(LinkEvent::WriteFailed, bytes, n, at);
}

void LinkMonitor::EchoSent(const std::uint8_t* bytes, std::size_t n, TimePoint at) {
    Event(LinkEvent::Echo, bytes, n, at);
}

void LinkMonitor::ReplyWithheld(TimePoint) {
    Event(LinkEvent::Unanswered, nullptr, 0, answeringAt_, UnansweredReason::FaultMode);
}

void LinkMonitor::PortLost(TimePoint at) {
    Event(LinkEvent::PortLost, nullptr, 0, at);
}

void LinkMonitor::PortBack(TimePoint at) {
    Event(LinkEvent::PortBack, nullptr, 0, at);
}
