#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "KLineExchange.h"
#include "LatencyStats.h"
#include "protocol/LiveBlockDecoder.h"
#include "SerialDevice.h"
#include "TesterOptions.h"
#include "common/HexText.h"
#include "protocol/KwpFrame.h"
#include "protocol/ObdReplyDecoder.h"

namespace {

void PrintDecoded(EcuVariant variant, const std::vector<std::uint8_t>& frame) {
    const FrameView view = DecodeFrame(frame.data());
    if (view.length < 2 || view.data[0] != 0x61 || view.data[1] != 0x01) {
        return;
    }
    const auto decoded = LiveBlockDecoder::Decode(variant, view.data, view.length);
    for (const auto& value : decoded.values) {
        std::printf("   %s %.6g%s%s\n", value.name.c_str(), value.value, value.unit.empty() ? "" : " ",
                    value.unit.c_str());
    }
    if (!decoded.error.empty()) {
        std::printf("   decode: %s\n", decoded.error.c_str());
    }
}

void PrintObd(const ExchangeResult& result) {
    std::vector<std::vector<std::uint8_t>> data;
    auto add = [&data](const std::vector<std::uint8_t>& frame) {
        const FrameView view = DecodeFrame(frame.data());
        data.emplace_back(view.data, view.data + view.length);
    };
    add(result.reply);
    for (const auto& frame : result.further) add(frame);
    const auto decoded = ObdReplyDecoder::Decode(data);
    for (const auto& item : decoded.items) {
        std::printf("   %s %s%s%s\n", item.name.c_str(), item.value.c_str(), item.unit.empty() ? "" : " ",
                    item.unit.c_str());
    }
    if (!decoded.error.empty()) {
        std::printf("   decode: %s\n", decoded.error.c_str());
    }
}

// Seconds since the tester started, on the monotonic clock.
double SecondsSinceStart() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Prints one exchange; true when it brought a well-formed reply.
bool Report(const TesterOptions& options, const std::vector<std::uint8_t>& request,
            const ExchangeResult& result, bool print) {
    if (print) std::printf("-> %s\n", HexText(request).c_str());
    for (std::size_t i = 0; print && i < result.pending.size(); ++i) {
        if (i == 0) {
            std::printf("<- %s  response pending  latency %.3f ms\n", HexText(result.pending[i]).c_str(),
                        result.firstAnswerMs);
        } else {
            std::printf("<- %s  response pending\n", HexText(result.pending[i]).c_str());
        }
    }
    switch (result.status) {
    case ExchangeResult::Status::Reply:
        if (print) {
            std::printf("<- %s  latency %.3f ms  checksum %s%s", HexText(result.reply).c_str(),
                        result.latencyMs, result.checksumOk ? "ok" : "BAD",
                        result.echoSeen ? "  (echo seen)" : "");
            if (options.stamp) {
                std::printf("  at %.3f s", SecondsSinceStart());
            }
            std::printf("\n");
            for (const auto& frame : result.further) {
                const bool ok = FrameChecksum(frame.data(), frame.size() - 1) == frame.back();
                std::printf("<- %s  checksum %s\n", HexText(frame).c_str(), ok ? "ok" : "BAD");
            }
            if (!result.trailing.empty()) {
                std::printf("   then %s\n", HexText(result.trailing).c_str());
            }
            if (options.decode) PrintDecoded(*options.decode, result.reply);
            if (options.decodeObd) PrintObd(result);
        }
        return result.checksumOk;
    case ExchangeResult::Status::Busy:
        if (print) {
            std::printf("<- %s  busy, repeat request  latency %.3f ms\n", HexText(result.reply).c_str(),
                        result.latencyMs);
        }
        return false;
    case ExchangeResult::Status::NoReply:
        if (print) {
            if (result.pending.empty()) {
                std::printf("<- no reply within %d ms\n", options.p2maxMs);
            } else {
                std::printf("<- %s\n", result.error.c_str());
            }
        }
        return false;
    case ExchangeResult::Status::BrokenReply:
        if (print) std::printf("<- %s  broken: %s\n", HexText(result.reply).c_str(), result.error.c_str());
        return false;
    case ExchangeResult::Status::NoEcho:
    case ExchangeResult::Status::LinkError:
        std::printf("!! %s\n", result.error.c_str());
        return false;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = TesterOptions::Parse(std::vector<std::string>(argv + 1, argv + argc), &error);
    if (!options) {
        std::fprintf(stderr, "kline-tester: %s\n%s", error.c_str(), TesterOptions::Usage());
        return 2;
    }
    if (options->help) {
        std::fputs(TesterOptions::Usage(), stdout);
        return 0;
    }
    if (options->version) {
        std::puts("kline-tester " VORTA_VERSION);
        return 0;
    }
    SecondsSinceStart();
    SerialDevice device;
    if (!device.Open(options->device, options->baud, &error)) {
        std::fprintf(stderr, "kline-tester: %s\n", error.c_str());
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (options->wakeUp) {
        const std::uint8_t wakeUp = 0x00;
        if (!device.Write(&wakeUp, 1, &error)) {
            std::fprintf(stderr, "kline-tester: %s\n", error.c_str());
            return 2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<bool> severalFrames;
    for (const auto& request : options->requests) {
        frames.push_back(options->functional
                             ? BuildFunctionalFrame(request.target, options->source, request.data.data(),
                                                    request.data.size())
                             : BuildFrame(request.target, options->source, request.data.data(),
                                          request.data.size(), FrameForm::BySize));
        // OBD stored codes and vehicle information may take several frames.
        const std::uint8_t service = request.data.front();
        severalFrames.push_back(service == 0x03 || service == 0x07 || service == 0x09);
    }
    const bool print = !(options->quiet && options->repeat > 1);
    LatencyStats stats;
    int sent = 0, good = 0, lost = 0, badChecksum = 0, broken = 0, busy = 0, pending = 0;
    for (int round = 0; round < options->repeat; ++round) {
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const auto& frame = frames[i];
            if (sent > 0 && options->intervalMs > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(options->intervalMs));
            }
            KLineExchange exchange(device, options->echo, options->p2maxMs, options->p1maxMs);
            const ExchangeResult result = exchange.Exchange(frame, severalFrames[i]);
            ++sent;
            if (Report(*options, frame, result, print)) ++good;
            if (!result.pending.empty()) ++pending;
            if (result.status == ExchangeResult::Status::Busy) {
                stats.Add(result.latencyMs);
                ++busy;
            } else if (result.status == ExchangeResult::Status::Reply) {
                stats.Add(result.latencyMs);
                if (!result.checksumOk) ++badChecksum;
            } else if (result.status == ExchangeResult::Status::NoReply) {
                ++lost;
            } else if (result.status == ExchangeResult::Status::LinkError) {
                return 2;
            } else {
                ++broken;
            }
        }
    }
    if (options->repeat > 1) {
        std::printf("requests %d  replies %d  no reply %d  bad checksum %d  broken %d  busy %d  pending %d\n",
                    sent, stats.Count(), lost, badChecksum, broken, busy, pending);
        std::printf("latency %s\n", stats.Summary().c_str());
    }
    return good == sent ? 0 : 1;
}
