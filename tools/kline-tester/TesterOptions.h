#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "KLineExchange.h"
#include "protocol/EcuVariant.h"

// One request given on the command line: "--to 10 21 01" is data 21 01 to address 10.
struct TesterRequest {
    std::uint8_t target;
    std::vector<std::uint8_t> data;
};

// The command line of kline-tester.
struct TesterOptions {
    std::string device;
    std::vector<TesterRequest> requests;
    std::uint8_t source = 0xF1;
    int baud = 10400;
    int p2maxMs = 50;
    int p1maxMs = KLineExchange::kP1MaxMs;
    EchoMode echo = EchoMode::Tolerate;
    int repeat = 1;
    int intervalMs = 0;
    bool wakeUp = false;
    bool quiet = false;
    bool stamp = false;  // --stamp: each reply line tells when it came, from the tester's start
    std::optional<EcuVariant> decode;
    bool decodeObd = false;   // --decode obd: OBD replies (modes 01, 03, 09) read back
    bool functional = false;  // requests with the functional header, to 33
    std::optional<std::uint8_t> slowInit;  // --slowinit ADDR: a slow init first
    int w4Ms = 30;                         // our W4 before the inverted key byte
    std::optional<std::uint8_t> keyAnswer; // sent instead of the inverted key byte
    bool iso9141 = false;                  // --protocol iso9141: 68 6A F1 frames
    bool help = false;
    bool version = false;

    // argv without the program name. On failure: nothing, and the reason in *error.
    static std::optional<TesterOptions> Parse(const std::vector<std::string>& args, std::string* error);
    static const char* Usage();
};
