#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <tuple>
#include <vector>

#include "protocol/Iso9141Assembler.h"
#include "protocol/Iso9141Frame.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using TimePoint = Iso9141Assembler::TimePoint;
using std::chrono::milliseconds;

struct Arrival {
    int atMs;
    Bytes bytes;
};

// Feeds the arrivals, checking before each and once the line has gone quiet; the requests that
// ended, in order.
std::vector<Bytes> Requests(const std::vector<Arrival>& arrivals) {
    Iso9141Assembler assembler;
    std::vector<Bytes> frames;
    auto check = [&](int ms) {
        if (auto frame = assembler.Check(TimePoint{} + milliseconds(ms))) frames.push_back(frame->bytes);
    };
    for (const Arrival& a : arrivals) {
        check(a.atMs);
        assembler.Accept(a.bytes.data(), a.bytes.size(), TimePoint{} + milliseconds(a.atMs));
    }
    if (const auto due = assembler.Deadline()) {
        check(static_cast<int>(std::chrono::duration_cast<milliseconds>(due->time_since_epoch()).count()));
    }
    return frames;
}

// Each byte of `frame` 5 ms after the one before, from `fromMs`.
std::vector<Arrival> Bytewise(const Bytes& frame, int fromMs = 0, int gapMs = 5) {
    std::vector<Arrival> arrivals;
    for (const std::uint8_t b : frame) {
        arrivals.push_back({fromMs, {b}});
        fromMs += gapMs;
    }
    return arrivals;
}

std::vector<Arrival> Then(std::vector<Arrival> first, const std::vector<Arrival>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(Iso9141AssemblerTest, RequestsEndWhereTheChecksumClosesAndTheLineRests) {
    const Bytes rpm = {0x68, 0x6A, 0xF1, 0x01, 0x0C, 0xD0};
    const Bytes vin = {0x68, 0x6A, 0xF1, 0x09, 0x02, 0xCE};
    // 01 C4: the checksum closes after 01 already, and the next byte follows at once.
    const Bytes early = {0x68, 0x6A, 0xF1, 0x01, 0xC4, 0x88};
    const std::vector<std::tuple<const char*, std::vector<Arrival>, std::vector<Bytes>>> rows = {
        {"one chunk", {{0, rpm}}, {rpm}},
        {"byte by byte, 5 ms apart", Bytewise(rpm), {rpm}},
        {"byte by byte, 20 ms apart", Bytewise(rpm, 0, 20), {rpm}},
        {"two requests", Then(Bytewise(rpm), Bytewise(vin, 200)), {rpm, vin}},
        {"closing early, continued within P4max", Bytewise(early), {early}},
        {"a byte 21 ms after the close starts anew", Then({{0, Bytes(early.begin(), early.end() - 1)}}, {{21, {0x88}}}),
         {Bytes(early.begin(), early.end() - 1)}},
        {"bytes before the header ignored", {{0, {0x00, 0x33}}, {10, rpm}}, {rpm}},
        {"a start 41 ms old dropped", {{0, {0x68, 0x6A}}, {41, rpm}}, {rpm}},
        {"no close within 11 bytes", {{0, {0x68, 0x6A, 0xF1, 1, 2, 3, 4, 5, 6, 7, 8, 9}}}, {}},
    };
    for (const auto& [what, arrivals, frames] : rows) EXPECT_EQ(Requests(arrivals), frames) << what;
    EXPECT_EQ(BuildIso9141Request(rpm.data() + 3, 2), rpm);
}

}  // namespace
