#pragma once

#include "serial/TSerLineSettings.h"

#include <cstdint>
#include <string>

// What one wait for received characters gave.
enum TSerWaitKind {
    wkReceived,  // bytes wait in the input queue
    wkWoken,     // the port is closing
    wkTimeout,
    wkHangup,    // the other side is gone (adapter pulled, terminal closed)
    wkError,     // the wait itself failed; Error() holds the code
};

struct TSerWaitResult {
    TSerWaitKind kind = wkTimeout;
    int error = 0;
};

// The platform layer under the port: the few device operations the port logic needs.
// Every operation that can fail returns 0 or the system error code. One object serves
// one port; the port calls Open/Close and Read from its own thread, the waits and ReadNow
// from its event and write threads, and Wake from any thread.
class TSerDevice {
public:
    virtual ~TSerDevice() = default;

    // Exclusive open of an existing device; also arms the wake-up of the waits.
    virtual int Open(const std::string& path) = 0;
    virtual void Close() = 0;
    // True when the device opened is a pseudo-terminal master; its hang-up is no fault.
    virtual bool IsPseudoTerminalMaster() const = 0;
    // The other side's path of a pseudo-terminal master; empty otherwise.
    virtual std::string PseudoTerminalPath() const = 0;

    virtual int WriteLineSettings(const TSerLineSettings& settings) = 0;
    // Keeps the line's present setting aside; RestoreLineState puts it back. A driver may take
    // part of a record before it refuses the rest, or run a rate too far off: the port then
    // restores what the line ran with, so the line and the port's properties still agree.
    virtual int KeepLineState() = 0;
    virtual int RestoreLineState() = 0;
    virtual int SetupQueues(int inputSize, int outputSize) = 0;
    virtual int SetReadInterval(int milliseconds) = 0;
    virtual int SetEventMask(std::uint32_t mask) = 0;

    // Bytes in the driver's input queue.
    virtual int InQueue(int& count) = 0;
    // Line error flags (TSerLineError) gathered since the last call; the call clears them.
    virtual std::uint32_t TakeLineErrors() = 0;

    // Reads up to count bytes, waiting at most timeoutMs for the first and the read interval
    // between bytes. got is what was read, also when an error ends the read.
    virtual int Read(void* buffer, int count, int timeoutMs, int& got) = 0;
    // Reads up to count bytes of what the driver holds now, without waiting.
    virtual int ReadNow(void* buffer, int count, int& got) = 0;
    // Writes up to count bytes, waiting at most timeoutMs (-1: no limit) for room; returns
    // early when woken. put is what went out.
    virtual int Write(const void* buffer, int count, int timeoutMs, int& put) = 0;

    // Waits for received characters, at most timeoutMs (-1: no limit), or until woken.
    virtual TSerWaitResult WaitReceive(int timeoutMs) = 0;
    // Sleeps timeoutMs unless woken first; false when woken.
    virtual bool Pause(int timeoutMs) = 0;
    // Ends every present and future wait until the next Open.
    virtual void Wake() = 0;

    virtual std::string ErrorText(int code) const = 0;

    // What the operator should be told about the device just opened (an adapter that will
    // hold replies back, say); empty when nothing.
    virtual std::string OpenNotice() const { return {}; }
};
