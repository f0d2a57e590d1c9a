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
    enum class Status {
        Reply,        // a whole frame (its checksum may still be bad)
        Busy,         // 7F <service> 21: the controller is busy, the request is to be repeated
        NoReply,
        NoEcho,
        BrokenReply,  // no format byte, or the reply stopped for more than P1max between bytes
        LinkError,
    };
    Status status = Status::NoReply;
    std::vector<std::uint8_t> reply;     // the reply frame, or what arrived of it
    std::vector<std::uint8_t> trailing;  // bytes after a complete reply frame (and its further frames)
    std::vector<std::vector<std::uint8_t>> further;  // the answer's frames after the first, when asked for
    // 7F <service> 78 frames (response pending) that came before the reply.
    std::vector<std::vector<std::uint8_t>> pending;
    bool echoSeen = false;
    bool checksumOk = false;  // of every frame
    double latencyMs = 0;      // from the end of the request to the first byte of the reply
    double firstAnswerMs = 0;  // to the first byte of the first frame, pending or reply
    std::string error;
};

// Sends a request frame and waits for the reply as a careful tester does: up to P2max for its
// first byte after the request (and its echo) has left; after a "response pending" up to
// P2*max for the next frame; and no longer than P1max between the bytes of a frame.
class KLineExchange {
public:
    static constexpr int kP1MaxMs = 20;
    static constexpr int kPendingMaxMs = 5000;

    KLineExchange(SerialDevice& device, EchoMode echo, int p2maxMs, int p1maxMs = kP1MaxMs,
                  int pendingMaxMs = kPendingMaxMs);

    // With `furtherFrames`, frames that follow the first within P2max each belong to the
    // answer too, as OBD answers of several messages do.
    ExchangeResult Exchange(const std::vector<std::uint8_t>& request, bool furtherFrames = false);
    // The next exchange is the first after a fast init's wake-up: the wake-up's zero may be
    // echoed late, after that exchange's leftovers were dropped, and is then no part of it.
    void AfterWakeUp() { wakeUpEcho_ = true; }

private:
    void CollectFurther(ExchangeResult& result);

    bool SendByteWise(const std::vector<std::uint8_t>& request, ExchangeResult& result);

    SerialDevice& device_;
    EchoMode echo_;
    int p2maxMs_;
    int p1maxMs_;
    int pendingMaxMs_;
    bool wakeUpEcho_ = false;
};
