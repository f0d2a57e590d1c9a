#pragma once

#include <cstdint>
#include <vector>

#include "protocol/EcuVariant.h"
#include "protocol/LinkObserver.h"

// What one row of the K-line monitor stands for.
enum class MonitorRowKind : std::uint8_t {
    Request,  // a whole frame from the tester
    Reply,    // a frame we put on the line
    Event,    // anything else worth a row of its own
};

enum class LinkEvent : std::uint8_t {
    None,
    WakeUp,             // the fast-init zero byte
    Echo,               // the tester's bytes sent back on a virtual port, as a single wire does
    IgnitionOff,        // bytes read while the ignition was off
    NotAFrameStart,     // bytes ignored at a frame start
    StalePartialFrame,  // a partial frame dropped after 40 ms
    BadChecksum,        // the frame before it carries a wrong checksum
    Unanswered,         // the request before it got no reply; `reason` says why
    // A slow init, step by step; each row holds the byte it is about.
    FiveBaudAddress,    // the tester's address at 5 baud, at its end
    Sync,               // our 0x55
    KeyByte,            // our key bytes, one row each
    InvertedKey,        // the tester's second key byte, inverted
    InvertedAddress,    // ours: the link is open
    SlowInitRefused,    // a wrong inverted key byte, or none: no link
    LinkDropped,        // no request for P3max: the link a slow init opened is down
    PortLost,           // the adapter went away or failed; the port is closed
    PortBack,           // the port opened again after it was lost
    WriteFailed,        // a reply the port did not take: it never reached the line
};
constexpr int kLinkEventCount = 18;

// One frame or event in the monitor's ring. Times are steady-clock microseconds.
struct MonitorRow {
    std::int64_t atUs = 0;  // a request: its first byte's arrival
    MonitorRowKind kind = MonitorRowKind::Event;
    LinkEvent event = LinkEvent::None;
    UnansweredReason reason = UnansweredReason::NoService;
    EcuVariant variant = EcuVariant::Ja5;  // the controller type selected at the time
    // A request that came in pieces: from its first to its last byte, and the shortest and
    // longest gap between neighbouring bytes. All 0 when it came at once.
    std::int32_t spanUs = 0;
    std::int32_t minGapUs = 0;
    std::int32_t maxGapUs = 0;
    std::vector<std::uint8_t> bytes;

    // Rows the operator should look at twice.
    bool IsProblem() const {
        if (kind != MonitorRowKind::Event) return false;
        switch (event) {
        case LinkEvent::WakeUp: case LinkEvent::Echo: case LinkEvent::FiveBaudAddress: case LinkEvent::Sync:
        case LinkEvent::KeyByte: case LinkEvent::InvertedKey: case LinkEvent::InvertedAddress: case LinkEvent::PortBack:
            return false;
        default:
            return true;
        }
    }
};
