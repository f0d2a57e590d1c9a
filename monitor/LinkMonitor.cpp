#include "monitor/LinkMonitor.h"

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
    report_.Add(row);
    ring_.Append(std::move(row));
}

void LinkMonitor::Event(LinkEvent event, const std::uint8_t* bytes, std::size_t n, TimePoint at,
                        UnansweredReason reason) {
    MonitorRow row = Row(MonitorRowKind::Event, bytes, n, at);
    row.event = event;
    row.reason = reason;
    Add(std::move(row));
}

void LinkMonitor::CheckSum(const MonitorRow& frame) {
    const auto header = FrameMeaning::ReadHeader(frame.bytes.data(), frame.bytes.size());
    if (header.valid && !header.checksumOk) {
        MonitorRow row;
        row.atUs = frame.atUs + frame.spanUs;
        row.kind = MonitorRowKind::Event;
        row.event = LinkEvent::BadChecksum;
        row.variant = frame.variant;
        row.bytes = {header.checksum, header.expected};
        Add(std::move(row));
    }
}

void LinkMonitor::RequestReceived(const std::uint8_t* frame, std::size_t n, const FrameArrival& arrival) {
    MonitorRow row = Row(MonitorRowKind::Request, frame, n, arrival.first);
    using std::chrono::duration_cast;
    using std::chrono::microseconds;
    row.spanUs = static_cast<std::int32_t>(duration_cast<microseconds>(arrival.last - arrival.first).count());
    row.minGapUs = static_cast<std::int32_t>(duration_cast<microseconds>(arrival.minGap).count());
    row.maxGapUs = static_cast<std::int32_t>(duration_cast<microseconds>(arrival.maxGap).count());
    answeringAt_ = arrival.last;
    Add(std::move(row));
    CheckSum(ring_.At(ring_.NextNumber() - 1));
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

void LinkMonitor::FrameSent(const std::uint8_t* bytes, std::size_t n, TimePoint at, std::optional<TimePoint> lastByte) {
    MonitorRow row = Row(MonitorRowKind::Reply, bytes, n, at);
    if (lastByte && *lastByte > at) {
        row.spanUs = static_cast<std::int32_t>(Micros(*lastByte) - row.atUs);
    }
    Add(std::move(row));
    CheckSum(ring_.At(ring_.NextNumber() - 1));
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
