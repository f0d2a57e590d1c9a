#include "KLineExchange.h"

#include <chrono>

#include "SerialDevice.h"
#include "emulator/KwpFrame.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

KLineExchange::KLineExchange(SerialDevice& device, EchoMode echo, int p2maxMs)
    : device_(device), echo_(echo), p2maxMs_(p2maxMs) {}

ExchangeResult KLineExchange::Exchange(const std::vector<std::uint8_t>& request, bool furtherFrames) {
    ExchangeResult result;
    device_.DiscardInput();  // leftovers of an earlier exchange are no reply to this one
    if (echo_ == EchoMode::ByteWise) {
        if (!SendByteWise(request, result)) {
            return result;
        }
    } else if (!device_.Write(request.data(), request.size(), &result.error)) {
        result.status = ExchangeResult::Status::LinkError;
        return result;
    }
    const Clock::time_point sent = Clock::now();
    const auto p2max = std::chrono::milliseconds(p2maxMs_);
    Clock::time_point deadline = sent + p2max;
    std::size_t echoed = 0;
    bool inEcho = echo_ != EchoMode::None && echo_ != EchoMode::ByteWise;
    std::size_t frameSize = 0;

    std::uint8_t buffer[512];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int n = device_.Read(buffer, sizeof buffer, static_cast<int>(left.count()) + 1, &result.error);
        if (n < 0) {
            result.status = ExchangeResult::Status::LinkError;
            return result;
        }
        if (n == 0) {
            if (Clock::now() < deadline) continue;
            break;
        }
        const Clock::time_point now = Clock::now();
        for (int i = 0; i < n; ++i) {
            const std::uint8_t byte = buffer[i];
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
            if (frameSize != 0 && result.reply.size() >= frameSize) {
                result.trailing.push_back(byte);
                continue;
            }
            if (result.reply.empty()) {
                result.latencyMs = MsBetween(sent, now);
            }
            result.reply.push_back(byte);
            const FrameSize size = ExpectedFrameSize(result.reply.data(), result.reply.size());
            if (size.status == FrameSize::Status::NotServed) {
                result.status = ExchangeResult::Status::BrokenReply;
                result.error = "the reply does not start with a format byte";
            } else if (size.status == FrameSize::Status::Known) {
                frameSize = size.bytes;
            }
        }
        if (frameSize != 0 && result.reply.size() >= frameSize) {
            break;
        }
        if (!inEcho) {
            deadline = now + p2max;  // between the bytes of the reply
        }
    }
    if (inEcho && echo_ == EchoMode::Filter) {
        result.status = ExchangeResult::Status::NoEcho;
        result.error = "no echo of the request";
        return result;
    }
    if (result.reply.empty()) {
        result.status = ExchangeResult::Status::NoReply;
        return result;
    }
    if (frameSize == 0 || result.reply.size() < frameSize) {
        if (result.error.empty()) {
            result.error = "the reply broke off after " + std::to_string(result.reply.size()) + " bytes";
        }
        result.status = ExchangeResult::Status::BrokenReply;
        return result;
    }
    result.status = ExchangeResult::Status::Reply;
    result.checksumOk = FrameChecksum(result.reply.data(), frameSize - 1) == result.reply[frameSize - 1];
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
