#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "emulator/EcuEnvironment.h"
#include "protocol/FrameForm.h"
#include "emulator/ServiceContext.h"

// Frames replies back to the sender of the current request and writes them to the port.
class ResponseFramer : public ReplySender {
public:
    explicit ResponseFramer(EcuEnvironment& env) : env_(env) {}

    // The current request's addresses; replies go to its source, from its target.
    void SetRequestAddresses(std::uint8_t target, std::uint8_t source);

    // Converts the hex text, frames it and writes it. A pair that is not hexadecimal
    // throws HexConversionError before anything is written; more than 255 data bytes
    // cannot be framed and send nothing.
    void SendHexResponse(const std::string& payload, FrameForm form) override;

    // Reply data already in bytes; framed like SendHexResponse. With the real framing of the
    // selected type, a positive 21 reply takes the long header whatever form is asked for.
    void SendBytes(const std::uint8_t* data, std::size_t n, FrameForm form) override;

    // One data byte in the short form (the C2 and 7E replies).
    void SendSingleByte(std::uint8_t byte);

    // A fixed frame written byte for byte, whatever the request's addresses.
    void SendFixed(const std::uint8_t* bytes, std::size_t n);
    template <std::size_t N>
    void SendFixed(const std::array<std::uint8_t, N>& bytes) {
        SendFixed(bytes.data(), N);
    }

    // On a link opened as ISO 9141-2, replies go as 48 6B `source` + data + checksum, whatever
    // form is asked for; nullopt: KWP2000 frames again.
    void SetIso9141Replies(std::optional<std::uint8_t> source) { iso9141Source_ = source; }

    // Frames handed to the port so far: tells whether a request was answered.
    std::uint64_t FramesWritten() const { return framesWritten_; }

private:
    EcuEnvironment& env_;
    std::uint64_t framesWritten_ = 0;
    std::uint8_t requestTarget_ = 0;
    std::uint8_t requestSource_ = 0;
    std::optional<std::uint8_t> iso9141Source_;
    std::array<std::uint8_t, 1024> txBuffer_{};
};
