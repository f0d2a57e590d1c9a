#include "KLineExchange.h"

#include <chrono>

#include "SerialDevice.h"
#include "protocol/KwpFrame.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kNegativeResponse = 0x7F;
constexpr std::uint8_t kBusyRepeatRequest = 0x21;
constexpr std::uint8_t kResponsePending = 0x78;

double MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Whether a whole frame with a good checksum is the negative response `code` to `service`.
bool IsNegative(const std::vector<std::uint8_t>& frame, std::uint8_t service, std::uint8_t code) {
    const FrameView view = DecodeFrame(frame.data());
    return view.length == 3 && view.data[0] == kNegativeResponse && view.data[1] == service &&
           view.data[2] == code && FrameChecksum(frame.data(), frame.size() - 1) == frame.back();
}

}  // namespace

KLineExchange::KLineExchange(SerialDevice& device, EchoMode echo, int p2maxMs, int p1maxMs, int pendingMaxMs)
    : device_(device), echo_(echo), p2maxMs_(p2maxMs), p1maxMs_(p1maxMs), pendingMaxMs_(pendingMaxMs) {}

ExchangeResult KLineExchange::Exchange(const std::vector<std::uint8_t>& request, bool furtherFrames) {
    ExchangeResult result;
    bool wakeUpEcho = wakeUpEcho_ && !request.empty() && request.front() != 0x00;
    wakeUpEcho_ = false;
    // Leftovers of an earlier exchange are no reply to this one.
    if (device_.DiscardInput(&result.error) < 0) {
        result.status = ExchangeResult::Status::LinkError;
        return result;
    }
    if (echo_ == EchoMode::ByteWise) {
        if (!SendByteWise(request, result)) {
            return result;
        }
    } else if (!device_.Write(request.data(), request.size(), &result.error)) {
        result.status = ExchangeResult::Status::LinkError;
        return result;
    }
    // Latency counts from the last byte's hand-over, not from when this thread got here: byte
    // by byte that is after the last echo, and a loaded machine may run it later still.
    const Clock::time_point sent = device_.LastDrained();
    const std::uint8_t service = DecodeFrame(request.data()).data[0];
    const auto p2max = std::chrono::milliseconds(p2maxMs_);
    // Until a frame starts: P2max, or P2*max after a "response pending"; within one: P1max.
    Clock::time_point deadline = Clock::now() + p2max;
    std::size_t echoed = 0;
    bool inEcho = echo_ != EchoMode::None && echo_ != EchoMode::ByteWise;
    std::size_t frameSize = 0;
    bool complete = false;
    bool answered = false;
    bool noFormatByte = false;

    std::uint8_t buffer[512];
    while (!complete) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int n = device_.Read(buffer, sizeof buffer, static_cast<int>(left.count()) + 1, &result.error);
        if (n < 0) {
            result.status = ExchangeResult::Status::LinkError;
            return result;
        }
        const Clock::time_point now = Clock::now();
        if (n == 0) {
            if (now < deadline) continue;
            break;
        }
        for (int i = 0; i < n; ++i) {
            const std::uint8_t byte = buffer[i];
            if (inEcho && echoed == 0 && wakeUpEcho && byte == 0x00) {
                wakeUpEcho = false;  // the wake-up's own echo, come late
                continue;
            }
            if (inEcho) {
                if (byte == request[echoed]) {
                    if (++echoed == request.size()) {
                        inEcho = false;
                        result.echoSeen = true;
                        deadline = now + p2max;  // the request has left the line now
                    }
                    continue;
                }
                if (echo_ == EchoMode::Filter) {
                    result.status = ExchangeResult::Status::NoEcho;
                    result.error = "the echo of the request is wrong or missing";
                    return result;
                }
                // No echo after all: what looked like its start belongs to the reply.
                inEcho = false;
                result.reply.assign(request.begin(), request.begin() + static_cast<long>(echoed));
            }
            if (complete) {
                result.trailing.push_back(byte);
                continue;
            }
            if (!answered) {
                answered = true;
                result.firstAnswerMs = MsBetween(sent, now);
            }
            if (result.reply.empty()) {
                result.latencyMs = MsBetween(sent, now);
            }
            result.reply.push_back(byte);
            if (noFormatByte) {
                continue;  // kept to be shown, until the line falls silent
            }
            const FrameSize size = ExpectedFrameSize(result.reply.data(), result.reply.size());
            if (size.status == FrameSize::Status::NotServed) {
                noFormatByte = true;
                continue;
            }
            if (size.status != FrameSize::Status::Known || result.reply.size() < size.bytes) {
                continue;
            }
            frameSize = size.bytes;
            if (IsNegative(result.reply, service, kResponsePending)) {
                // The controller has the request and needs longer: wait for the real reply.
                result.pending.push_back(result.reply);
                result.reply.clear();
                frameSize = 0;
                deadline = now + std::chrono::milliseconds(pendingMaxMs_);
                continue;
            }
            complete = true;
        }
        if (!complete && !inEcho && !result.reply.empty()) {
            deadline = now + std::chrono::milliseconds(p1maxMs_);  // between the bytes of a frame
        }
    }
    if (inEcho && echo_ == EchoMode::Filter) {
        result.status = ExchangeResult::Status::NoEcho;
        result.error = "no echo of the request";
        return result;
    }
    if (result.reply.empty()) {
        result.status = ExchangeResult::Status::NoReply;
        if (!result.pending.empty()) {
            result.error = "no reply within " + std::to_string(pendingMaxMs_) + " ms after response pending";
        }
        return result;
    }
    if (noFormatByte) {
        result.error = "the reply does not start with a format byte";
        result.status = ExchangeResult::Status::BrokenReply;
        return result;
    }
    if (!complete) {
        result.error = "the reply stopped for more than " + std::to_string(p1maxMs_) + " ms after " +
                       std::to_string(result.reply.size()) + " bytes";
        result.status = ExchangeResult::Status::BrokenReply;
        return result;
    }
    result.checksumOk = FrameChecksum(result.reply.data(), frameSize - 1) == result.reply[frameSize - 1];
    result.status = IsNegative(result.reply, service, kBusyRepeatRequest) ? ExchangeResult::Status::Busy
                                                                          : ExchangeResult::Status::Reply;
    if (furtherFrames) {
        CollectFurther(result);
    }
    return result;
}

void KLineExchange::CollectFurther(ExchangeResult& result) {
    std::vector<std::uint8_t> pending;
    pending.swap(result.trailing);
    const auto p2max = std::chrono::milliseconds(p2maxMs_);
    Clock::time_point deadline = Clock::now() + p2max;
    std::uint8_t buffer[512];
    for (;;) {
        // Whole frames off the front; a byte that starts no frame ends the answer.
        for (;;) {
            const FrameSize size = ExpectedFrameSize(pending.data(), pending.size());
            if (size.status != FrameSize::Status::Known || pending.size() < size.bytes) {
                if (size.status == FrameSize::Status::NotServed) {
                    result.trailing = pending;
                    return;
                }
                break;
            }
            std::vector<std::uint8_t> frame(pending.begin(), pending.begin() + static_cast<long>(size.bytes));
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(size.bytes));
            result.checksumOk = result.checksumOk && FrameChecksum(frame.data(), frame.size() - 1) == frame.back();
            result.further.push_back(std::move(frame));
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) {
            break;
        }
        const int n = device_.Read(buffer, sizeof buffer, static_cast<int>(left.count()) + 1, &result.error);
        if (n < 0) {
            result.status = ExchangeResult::Status::LinkError;
            return;
        }
        if (n > 0) {
            pending.insert(pending.end(), buffer, buffer + n);
            deadline = Clock::now() + p2max;
        }
    }
    if (!pending.empty()) {
        result.trailing = pending;
    }
}

bool KLineExchange::SendByteWise(const std::vector<std::uint8_t>& request, ExchangeResult& result) {
    for (const std::uint8_t byte : request) {
        if (!device_.Write(&byte, 1, &result.error)) {
            result.status = ExchangeResult::Status::LinkError;
            return false;
        }
        std::uint8_t echo = 0;
        const int n = device_.Read(&echo, 1, p2maxMs_, &result.error);
        if (n < 0) {
            result.status = ExchangeResult::Status::LinkError;
            return false;
        }
        if (n == 0 || echo != byte) {
            result.status = ExchangeResult::Status::NoEcho;
            result.error = n == 0 ? "no echo of a request byte" : "the echo of a request byte is wrong";
            return false;
        }
    }
    result.echoSeen = true;
    return true;
}
