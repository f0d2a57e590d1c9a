#pragma once

#include <chrono>
#include <cstdint>

// A listener on the K-line link between the port and the emulator, for bench automation
// (echo of the tester's bytes on a virtual port, a trace file, injected reply faults).
// The console calls it from the main thread; without a tap the link is untouched.
class LinkTap {
public:
    virtual ~LinkTap() = default;
    // Every chunk read from the port, whatever the ignition state, before the emulator sees it,
    // with the time the port's event thread read it from the device (the chunk's arrival,
    // however long the main thread was busy meanwhile).
    virtual void ChunkRead(const std::uint8_t* bytes, int count, std::chrono::steady_clock::time_point arrival) = 0;
    // A reply frame on its way to the port. Returns true when the tap takes over the frame
    // (drops, alters or delays it); false lets the console write it unchanged.
    virtual bool FrameOut(const std::uint8_t* bytes, int count) = 0;
    // A reply frame has gone onto the line, its first byte at `firstByte`: at once for a frame
    // written as it came, later for one that waited for its moment.
    virtual void FrameLeft(const std::uint8_t* bytes, int count, std::chrono::steady_clock::time_point firstByte) {
        (void)bytes, (void)count, (void)firstByte;
    }
};
