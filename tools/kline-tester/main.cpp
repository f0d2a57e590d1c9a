#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "Iso9141Exchange.h"
#include "KLineExchange.h"
#include "SlowInitTester.h"
#include "LatencyStats.h"
#include "protocol/LiveBlockDecoder.h"
#include "SerialDevice.h"
#include "TesterOptions.h"
#include "common/HexText.h"
#include "protocol/Iso9141Frame.h"
#include "protocol/KwpFrame.h"
#include "protocol/ObdProtocols.h"
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

void PrintObd(const ExchangeResult& result, bool iso9141) {
    std::vector<std::vector<std::uint8_t>> data;
    auto add = [&data, iso9141](const std::vector<std::uint8_t>& frame) {
        if (iso9141) {
            if (frame.size() > kIso9141HeaderSize + 1) {
                data.emplace_back(frame.begin() + kIso9141HeaderSize, frame.end() - 1);
            }
            return;
        }
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
            if (options.decode && !options.iso9141) PrintDecoded(*options.decode, result.reply);
            if (options.decodeObd) PrintObd(result, options.iso9141);
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

const char* Window(double ms, double min, double max) {
    return ms >= min && ms <= max ? "ok" : "OUTSIDE";
}

// Runs the slow init and prints its steps and windows; true when the link opened.
bool SlowInit(const TesterOptions& options, SerialDevice& device) {
    std::printf("slow init %02X%s\n", *options.slowInit,
                device.IsPseudoTerminal() ? " (pseudo-terminal: the address written as one byte)" : "");
    SlowInitTester tester(device, options.w4Ms, options.keyAnswer);
    const SlowInitTester::Result result = tester.Run(*options.slowInit);
    for (const auto& step : result.steps) {
        std::printf("%9.3f ms  %-26s %02X\n", step.atMs, step.what.c_str(), step.byte);
    }
    if (!result.ok) {
        std::printf("!! slow init: %s\n", result.error.c_str());
        return false;
    }
    std::printf("W1 %.3f ms (60-300 %s)  W2 %.3f ms (5-20 %s)  W3 %.3f ms (0-20 %s)\n", result.w1Ms,
                Window(result.w1Ms, 60, 300), result.w2Ms, Window(result.w2Ms, 5, 20), result.w3Ms,
                Window(result.w3Ms, 0, 20));
    std::printf("W4 ours %.3f ms, the controller's %.3f ms (25-50 %s)\n", result.w4Ms, result.w4ControllerMs,
                Window(result.w4ControllerMs, 25, 50));
    const bool iso9141 = result.kb1 == kIso9141KeyBytes[0] && result.kb2 == kIso9141KeyBytes[1];
    std::printf("key bytes %02X %02X: %s\n", result.kb1, result.kb2, iso9141 ? "ISO 9141-2" : "KWP2000");
    return true;
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

    if (options->slowInit && !SlowInit(*options, device)) {
        return 1;
    }

    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<bool> severalFrames;
    for (const auto& request : options->requests) {
        frames.push_back(options->iso9141 ? BuildIso9141Request(request.data.data(), request.data.size())
                         : options->functional
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
    // 64 bits: a long soak of many requests a round passes 2^31 sends.
    std::uint64_t sent = 0, good = 0, lost = 0, badChecksum = 0, broken = 0, busy = 0, pending = 0;
    for (std::int64_t round = 0; round < options->repeat; ++round) {
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const auto& frame = frames[i];
            if (sent > 0 && options->intervalMs > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(options->intervalMs));
            }
            KLineExchange exchange(device, options->echo, options->p2maxMs, options->p1maxMs);
            if (sent == 0 && options->wakeUp) exchange.AfterWakeUp();
            Iso9141Exchange iso9141(device, options->p2maxMs, options->p1maxMs);
            const ExchangeResult result =
                options->iso9141 ? iso9141.Exchange(frame) : exchange.Exchange(frame, severalFrames[i]);
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
        std::printf("requests %" PRIu64 "  replies %" PRIu64 "  no reply %" PRIu64 "  bad checksum %" PRIu64
                    "  broken %" PRIu64 "  busy %" PRIu64 "  pending %" PRIu64 "\n",
                    sent, stats.Count(), lost, badChecksum, broken, busy, pending);
        std::printf("latency %s\n", stats.Summary().c_str());
    }
    return good == sent ? 0 : 1;
}
