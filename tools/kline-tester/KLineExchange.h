#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SerialDevice;

// How the tester treats the echo of its own request: a single-wire K-line adapter hears
// every byte it sends.
enum class EchoMode {
    Tolerate,  // take it off the front when it comes, do without it when it does not
    Filter,    // it must come (a real K-line adapter) and is taken off
    None,      // no echo on this link: everything received is reply
    ByteWise,  // send a byte, wait for its echo, then the next, as testers built for such
               // adapters do; a byte not echoed within P2max ends the request
};

// One request and its reply, as seen from the tester's side of the link.
struct ExchangeResult {
    enum class Status { Reply, NoReply, NoEcho, BrokenReply, LinkError };
    Status status = Status::NoReply;
    std::vector<std::uint8_t> reply;     // the reply frame, or what arrived of it
    std::vector<std::uint8_t> trailing;  // bytes after a complete reply frame (and its further frames)
    std::vector<std::vector<std::uint8_t>> further;  // the answer's frames after the first, when asked for
    bool echoSeen = false;
    bool checksumOk = false;  // of every frame
    double latencyMs = 0;  // from the end of the request to the first byte of the reply
    std::string error;
};

// Sends a request frame and waits for the reply: up to P2max for its first byte after the
// request (and its echo) has left, and up to P2max between the reply's bytes.
class KLineExchange {
public:
    KLineExchange(SerialDevice& device, EchoMode echo, int p2maxMs);

    // With `furtherFrames`, frames that follow the first within P2max each belong to the
    // answer too, as OBD answers of several messages do.
    ExchangeResult Exchange(const std::vector<std::uint8_t>& request, bool furtherFrames = false);

private:
    void CollectFurther(ExchangeResult& result);

    bool SendByteWise(const std::vector<std::uint8_t>& request, ExchangeResult& result);

    SerialDevice& device_;
    EchoMode echo_;
    int p2maxMs_;
};
