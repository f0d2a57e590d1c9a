#pragma once

#include <string>

// How finely the arrival stamps can tell the tester's timing, by the kind of port: a
// pseudo-terminal hands bytes over at once, a USB adapter holds them up to its latency
// timer, a plain serial port by its driver's interrupt.
struct StampResolution {
    std::string kind;           // "pseudo-terminal", "usb-adapter", "serial-port", "unknown"
    std::string text;           // what the report shows
    double resolutionMs = 0;    // the blur a stamp may carry
    double lineUsPerByte = 0;   // time a reply byte takes on the wire, 0 where there is no wire

    // For a port by its device path; `latencyTimerMs` is the adapter's timer when known (< 0: not).
    static StampResolution ForDevice(const std::string& devicePath, int latencyTimerMs = -1);
    // For the port opened at path as this system sees it: links such as /dev/serial/by-id/…
    // followed to the device, and its adapter's latency timer read where the port tunes it.
    static StampResolution ForOpenedPort(const std::string& path);
};
