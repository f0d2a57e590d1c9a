#include "monitor/MonitorText.h"

#include <cstdio>

#include "common/HexText.h"
#include "monitor/DeviceReport.h"
#include "protocol/FrameMeaning.h"

namespace MonitorText {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    return HexText(bytes);
}

std::string Direction(const MonitorRow& row) {
    switch (row.kind) {
    case MonitorRowKind::Request: return "тестер → ЭБУ";
    case MonitorRowKind::Reply: return "ЭБУ → тестер";
    case MonitorRowKind::Event: break;
    }
    switch (row.event) {
    case LinkEvent::Echo: return "эхо → тестер";
    case LinkEvent::FiveBaudAddress: case LinkEvent::InvertedKey: return "тестер → ЭБУ";
    case LinkEvent::Sync: case LinkEvent::KeyByte: case LinkEvent::InvertedAddress: return "ЭБУ → тестер";
    default: return "событие";
    }
}

namespace {

// "0x33": the byte a slow-init row is about.
std::string Byte(const MonitorRow& row) {
    return row.bytes.empty() ? std::string() : "0x" + Hex({row.bytes[0]});
}

}  // namespace

std::string Meaning(const MonitorRow& row) {
    if (row.kind != MonitorRowKind::Event) {
        std::string text = FrameMeaning::Describe(row.bytes.data(), row.bytes.size(), row.variant);
        if (row.kind == MonitorRowKind::Request && row.spanUs > 0) {
            text += " [bytes over " + Millis(row.spanUs) + " ms, gaps " + Millis(row.minGapUs) + "–" +
                    Millis(row.maxGapUs) + " ms]";
        }
        return text;
    }
    switch (row.event) {
    case LinkEvent::WakeUp: return "fast-init wake-up (zero byte)";
    case LinkEvent::Echo: return "echo of the tester's bytes on the virtual port";
    case LinkEvent::IgnitionOff: return "bytes read with the ignition off";
    case LinkEvent::NotAFrameStart: return "bytes ignored at a frame start: no format byte";
    case LinkEvent::StalePartialFrame: return "partial frame dropped: no continuation within 40 ms";
    case LinkEvent::BadChecksum:
        return row.bytes.size() == 2 ? "bad checksum: " + Hex({row.bytes[0]}) + ", the bytes sum to " +
                                           Hex({row.bytes[1]})
                                     : "bad checksum";
    case LinkEvent::Unanswered:
        return std::string("request unanswered: ") + DeviceReport::ReasonName(row.reason);
    case LinkEvent::FiveBaudAddress: return "адрес 5 бод " + Byte(row);
    case LinkEvent::Sync: return "sync " + Byte(row);
    case LinkEvent::KeyByte: return "key byte " + Byte(row);
    case LinkEvent::InvertedKey: return "inverted key byte 2 " + Byte(row);
    case LinkEvent::InvertedAddress: return "inverted address " + Byte(row) + ": link open";
    case LinkEvent::SlowInitRefused: return "slow init ended: no or wrong inverted key byte";
    case LinkEvent::LinkDropped: return "link dropped: no request for 5 s (P3max), a new init is needed";
    case LinkEvent::PortLost: return "port lost: the adapter went away or failed; it is opened again when it can be";
    case LinkEvent::PortBack: return "port open again";
    case LinkEvent::WriteFailed: return "reply not sent: the port did not take it";
    case LinkEvent::None: break;
    }
    return {};
}

std::string Seconds(std::int64_t us) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(us / 1000000),
                  static_cast<long long>((us % 1000000) / 1000));
    return text;
}

std::string Millis(std::int64_t us) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", us / 1000.0);
    return text;
}

const char* EventToken(LinkEvent event) {
    switch (event) {
    case LinkEvent::WakeUp: return "wake-up";
    case LinkEvent::Echo: return "echo";
    case LinkEvent::IgnitionOff: return "ignition-off";
    case LinkEvent::NotAFrameStart: return "ignored";
    case LinkEvent::StalePartialFrame: return "partial-dropped";
    case LinkEvent::BadChecksum: return "bad-checksum";
    case LinkEvent::Unanswered: return "unanswered";
    case LinkEvent::FiveBaudAddress: return "five-baud-address";
    case LinkEvent::Sync: return "sync";
    case LinkEvent::KeyByte: return "key-byte";
    case LinkEvent::InvertedKey: return "inverted-key";
    case LinkEvent::InvertedAddress: return "inverted-address";
    case LinkEvent::SlowInitRefused: return "slow-init-refused";
    case LinkEvent::LinkDropped: return "link-dropped";
    case LinkEvent::PortLost: return "port-lost";
    case LinkEvent::PortBack: return "port-back";
    case LinkEvent::WriteFailed: return "write-failed";
    case LinkEvent::None: break;
    }
    return "none";
}

const char* ReasonToken(UnansweredReason reason) {
    switch (reason) {
    case UnansweredReason::IgnitionOff: return "ignition-off";
    case UnansweredReason::OtherAddress: return "other-address";
    case UnansweredReason::NotStarted: return "not-started";
    case UnansweredReason::NoService: return "no-service";
    case UnansweredReason::FaultMode: return "fault-mode";
    case UnansweredReason::QueueFull: return "queue-full";
    }
    return "";
}

}  // namespace MonitorText
