#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

// A serial device opened for a K-line tester: raw 8N1, no handshake, a custom baud rate
// (10400 is no standard rate). Blocking writes, reads with a time-out.
class SerialDevice {
public:
    SerialDevice() = default;
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;
    ~SerialDevice();

    // Opens and configures; false with the system's text in *error. The rate is read back and
    // a device that does not keep it is refused.
    bool Open(const std::string& path, int baud, std::string* error);
    void Close();

    // Writes every byte and waits until they are on the line.
    bool Write(const std::uint8_t* bytes, std::size_t count, std::string* error);
    // The moment the last Write's bytes were handed on, read right after the driver said so:
    // whatever this process does next (reading an echo, being descheduled) comes after it.
    std::chrono::steady_clock::time_point LastDrained() const { return lastDrained_; }
    // Waits up to timeoutMs for bytes; returns how many were read, 0 on time-out, -1 on error.
    int Read(std::uint8_t* buffer, std::size_t capacity, int timeoutMs, std::string* error);
    // Drops whatever waits unread; returns how many bytes that was, or -1 with the system's text
    // in *error.
    int DiscardInput(std::string* error);
    // Holds the line low (a break) or lets it go; false with the system's text in *error.
    bool SetBreak(bool on, std::string* error);
    // Whether the device is a pseudo-terminal, which carries no breaks.
    bool IsPseudoTerminal() const { return pseudoTerminal_; }

private:
    int fd_ = -1;
    std::chrono::steady_clock::time_point lastDrained_{};
    bool pseudoTerminal_ = false;
};
