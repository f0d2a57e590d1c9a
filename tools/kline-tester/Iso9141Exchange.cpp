#include "Iso9141Exchange.h"

#include <chrono>

#include "SerialDevice.h"
#include "protocol/Iso9141Frame.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

Iso9141Exchange::Iso9141Exchange(SerialDevice& device, int p2maxMs, int p1maxMs)
    : device_(device), p2maxMs_(p2maxMs), p1maxMs_(p1maxMs) {}

ExchangeResult Iso9141Exchange::Exchange(const std::vector<std::uint8_t>& request) {
    ExchangeResult result;
    if (device_.DiscardInput(&result.error) < 0) {
        result.status = ExchangeResult::Status::LinkError;
        return result;
    }
    if (!device_.Write(request.data(), request.size(), &result.error)) {
        result.status = ExchangeResult::Status::LinkError;
        return result;
    }
    const Clock::time_point sent = Clock::now();
    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<std::uint8_t> frame;
    std::size_t echoed = 0;
    bool inEcho = true;
    // A frame is whole where its checksum closes and the next frame's first byte follows.
    auto cutBefore = [&](std::uint8_t next) {
        if (next == kIso9141ReplyPriority && Iso9141FrameCloses(frame.data(), frame.size())) {
            frames.push_back(frame);
            frame.clear();
        }
    };
    Clock::time_point deadline = sent + std::chrono::milliseconds(p2maxMs_);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) {
            // The line rests: a frame in hand ends here, and more may follow within P2max.
            if (frame.empty()) break;
            frames.push_back(frame);
            frame.clear();
            deadline = Clock::now() + std::chrono::milliseconds(p2maxMs_);
            continue;
        }
        std::uint8_t buffer[256];
        const int n = device_.Read(buffer, sizeof buffer, static_cast<int>(left.count()) + 1, &result.error);
        if (n < 0) {
            result.status = ExchangeResult::Status::LinkError;
            return result;
        }
        if (n == 0) continue;
        const Clock::time_point now = Clock::now();
        for (int i = 0; i < n; ++i) {
            const std::uint8_t byte = buffer[i];
            if (inEcho && echoed < request.size() && byte == request[echoed]) {
                if (++echoed == request.size()) {
                    inEcho = false;
                    result.echoSeen = true;
                }
                continue;
            }
            inEcho = false;
            if (frames.empty() && frame.empty()) result.latencyMs = MsBetween(sent, now);
            if (!frame.empty()) cutBefore(byte);
            frame.push_back(byte);
        }
        deadline = now + std::chrono::milliseconds(frame.empty() ? p2maxMs_ : p1maxMs_);
    }
    if (!frame.empty()) frames.push_back(frame);
    if (frames.empty()) {
        result.status = ExchangeResult::Status::NoReply;
        return result;
    }
    result.status = ExchangeResult::Status::Reply;
    result.checksumOk = true;
    for (const auto& f : frames) {
        const bool good = f.size() > kIso9141HeaderSize + 1 && f[0] == kIso9141ReplyPriority &&
                          f[1] == kIso9141ReplyTarget && Iso9141FrameCloses(f.data(), f.size());
        result.checksumOk = result.checksumOk && good;
    }
    result.reply = frames.front();
    result.further.assign(frames.begin() + 1, frames.end());
    result.firstAnswerMs = result.latencyMs;
    return result;
}
