#include "TesterOptions.h"

#include <algorithm>
#include <cstdlib>

#include "protocol/LiveBlockDecoder.h"
#include "protocol/Iso9141Frame.h"
#include "protocol/KwpFrame.h"

namespace {

bool ParseInt(const std::string& text, int min, int max, int* value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) {
        return false;
    }
    const long parsed = std::strtol(text.c_str(), nullptr, 10);
    if (parsed < min || parsed > max) {
        return false;
    }
    *value = static_cast<int>(parsed);
    return true;
}

std::optional<std::uint8_t> ParseByte(const std::string& text) {
    const auto bytes = ParseHexPayload(text);
    if (text.size() != 2 || !bytes || bytes->size() != 1) {
        return std::nullopt;
    }
    return bytes->front();
}

}  // namespace

const char* TesterOptions::Usage() {
    return "Usage: kline-tester DEVICE [options] --to ADDR HEX... [--to ADDR HEX...]\n"
           "Sends each request to ADDR (data bytes in hex, format byte, addresses and checksum\n"
           "are added) and prints every reply with its latency and checksum. The latency counts\n"
           "from the moment the request's last byte has left (the driver's drain, then the clock)\n"
           "to the reply's first byte, so a slow machine can make it longer, never shorter.\n"
           "\n"
           "Options:\n"
           "  --to ADDR HEX...   a request: target address and data, e.g. --to 10 21 01\n"
           "  --from ADDR        tester address (default F1)\n"
           "  --p2max MS         wait for a reply up to MS milliseconds (default 50); after a\n"
           "                     response pending (7F xx 78) up to 5000 ms for the real reply\n"
           "  --p1max MS         a reply that stops longer than MS between bytes is broken\n"
           "                     (default 20)\n"
           "  --echo MODE        tolerate (default), filter (an adapter that echoes), none,\n"
           "                     bytewise (each byte waits for its echo before the next)\n"
           "  --repeat N         send the requests N times and print latency statistics\n"
           "  --interval MS      pause between requests (default 0)\n"
           "  --wakeup           send the fast-init wake-up (a zero byte) and wait 50 ms first\n"
           "  --decode TYPE      decode 21 01 replies of TYPE: Ja5 B1 Ja7 B7 BMP b17\n"
           "  --decode obd       decode OBD replies (modes 01, 03 and 09) with names and units\n"
           "  --functional       send with the functional header (C0 + length) to 33, as OBD\n"
           "                     testers do: every request is then written --to 33 ...\n"
           "  --slowinit ADDR    wake the controller with a slow init first: ADDR (e.g. 33, 10)\n"
           "                     at 5 baud after 300 ms of silence (on a pseudo-terminal the\n"
           "                     byte written whole), then 55 and the key bytes read, the\n"
           "                     second sent back inverted after W4, the inverted address read;\n"
           "                     each step is printed with its time and the W windows measured.\n"
           "                     With it, requests may be left out\n"
           "  --w4 MS            our wait before the inverted key byte (default 30)\n"
           "  --key-answer HEX   send this byte instead of the inverted key byte\n"
           "  --protocol P       kwp (default) or iso9141: requests framed 68 6A F1 ... and\n"
           "                     written --to 33, replies 48 6B ... read\n"
           "  --baud N           line rate (default 10400)\n"
           "  --quiet            with --repeat: print only the statistics\n"
           "  --stamp            end each reply line with its arrival, seconds since the start\n"
           "  -h, --help         print this help\n"
           "  --version          print the version\n"
           "\n"
           "Exit status:\n"
           "  0  every request got a well-formed reply\n"
           "  1  some did not (no reply, broken, bad checksum, or busy: 7F xx 21)\n"
           "  2  usage or device error\n";
}

std::optional<TesterOptions> TesterOptions::Parse(const std::vector<std::string>& args, std::string* error) {
    TesterOptions options;
    auto fail = [error](const std::string& reason) {
        *error = reason;
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        auto needValue = [&]() -> const std::string* {
            if (!hasValue) return nullptr;
            return &args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        }
        if (arg == "--version") {
            options.version = true;
            return options;
        }
        if (arg == "--to") {
            const std::string* address = needValue();
            const auto target = address ? ParseByte(*address) : std::nullopt;
            if (!target) return fail("--to needs a target address in hex, e.g. --to 10 81");
            TesterRequest request{*target, {}};
            while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
                std::string digits = args[++i];
                digits.erase(std::remove(digits.begin(), digits.end(), ' '), digits.end());
                const auto bytes = ParseHexPayload(digits);
                if (!bytes || digits.size() % 2 != 0) return fail("bad hex bytes '" + args[i] + "'");
                request.data.insert(request.data.end(), bytes->begin(), bytes->end());
            }
            if (request.data.empty()) return fail("--to needs data bytes after the address");
            if (request.data.size() > kMaxFrameData) return fail("a request holds at most 255 data bytes");
            options.requests.push_back(std::move(request));
        } else if (arg == "--from") {
            const std::string* value = needValue();
            const auto source = value ? ParseByte(*value) : std::nullopt;
            if (!source) return fail("--from needs an address in hex");
            options.source = *source;
        } else if (arg == "--p2max") {
            const std::string* value = needValue();
            if (!value || !ParseInt(*value, 1, 60000, &options.p2maxMs)) return fail("--p2max needs 1..60000 ms");
        } else if (arg == "--p1max") {
            const std::string* value = needValue();
            if (!value || !ParseInt(*value, 1, 60000, &options.p1maxMs)) return fail("--p1max needs 1..60000 ms");
        } else if (arg == "--echo") {
            const std::string* value = needValue();
            if (value && *value == "tolerate") options.echo = EchoMode::Tolerate;
            else if (value && *value == "filter") options.echo = EchoMode::Filter;
            else if (value && *value == "none") options.echo = EchoMode::None;
            else if (value && *value == "bytewise") options.echo = EchoMode::ByteWise;
            else return fail("--echo needs tolerate, filter, none or bytewise");
        } else if (arg == "--repeat") {
            const std::string* value = needValue();
            if (!value || !ParseInt(*value, 1, 100000000, &options.repeat)) return fail("--repeat needs a count from 1");
        } else if (arg == "--interval") {
            const std::string* value = needValue();
            if (!value || !ParseInt(*value, 0, 60000, &options.intervalMs)) return fail("--interval needs 0..60000 ms");
        } else if (arg == "--baud") {
            const std::string* value = needValue();
            if (!value || !ParseInt(*value, 50, 4000000, &options.baud)) return fail("--baud needs a rate");
        } else if (arg == "--decode") {
            const std::string* value = needValue();
            if (value && *value == "obd") {
                options.decodeObd = true;
                continue;
            }
            options.decode = value ? VariantByShortName(*value) : std::nullopt;
            if (!options.decode) return fail("--decode needs a controller type (Ja5 B1 Ja7 B7 BMP b17) or obd");
        } else if (arg == "--slowinit") {
            const std::string* value = needValue();
            options.slowInit = value ? ParseByte(*value) : std::nullopt;
            if (!options.slowInit) return fail("--slowinit needs an address in hex, e.g. --slowinit 33");
        } else if (arg == "--w4") {
            const std::string* value = needValue();
            if (!value || !ParseInt(*value, 0, 60000, &options.w4Ms)) return fail("--w4 needs 0..60000 ms");
        } else if (arg == "--key-answer") {
            const std::string* value = needValue();
            options.keyAnswer = value ? ParseByte(*value) : std::nullopt;
            if (!options.keyAnswer) return fail("--key-answer needs a byte in hex");
        } else if (arg == "--protocol") {
            const std::string* value = needValue();
            if (value && *value == "iso9141") options.iso9141 = true;
            else if (value && *value == "kwp") options.iso9141 = false;
            else return fail("--protocol needs kwp or iso9141");
        } else if (arg == "--functional") {
            options.functional = true;
        } else if (arg == "--wakeup") {
            options.wakeUp = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--stamp") {
            options.stamp = true;
        } else if (arg.rfind("--", 0) == 0) {
            return fail("unknown option " + arg);
        } else if (options.device.empty()) {
            options.device = arg;
        } else {
            return fail("unexpected argument '" + arg + "'");
        }
    }
    if (options.device.empty()) return fail("no device given");
    if (options.requests.empty() && !options.slowInit) return fail("no request given (--to ADDR HEX...)");
    if (options.functional || options.iso9141) {
        for (const TesterRequest& request : options.requests) {
            if (request.target != kObdFunctionalAddress) {
                return fail(options.iso9141 ? "with --protocol iso9141 every request goes --to 33"
                                            : "with --functional every request goes --to 33");
            }
            if (options.iso9141 && request.data.size() > kIso9141MaxData) {
                return fail("an ISO 9141-2 request holds at most 7 data bytes");
            }
        }
    }
    return options;
}
