#include "TesterOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <vector>

#include "LatencyStats.h"

namespace {

const auto Parse = TesterOptions::Parse;

TEST(TesterOptionsTest, ReadsRequestsAndSettings) {
    std::string error;
    const auto options = Parse({"/dev/pts/3", "--to", "10", "81", "--to", "11", "2101", "ff", "--from", "F0",
                                "--p2max", "80", "--echo", "filter", "--repeat", "5", "--decode", "B7"},
                               &error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->device, "/dev/pts/3");
    ASSERT_EQ(options->requests.size(), 2u);
    EXPECT_EQ(options->requests[0].target, 0x10);
    EXPECT_EQ(options->requests[0].data, std::vector<std::uint8_t>{0x81});
    EXPECT_EQ(options->requests[1].target, 0x11);
    EXPECT_EQ(options->requests[1].data, (std::vector<std::uint8_t>{0x21, 0x01, 0xFF}));
    EXPECT_EQ(options->source, 0xF0);
    EXPECT_EQ(options->p2maxMs, 80);
    EXPECT_EQ(options->echo, EchoMode::Filter);
    EXPECT_EQ(options->repeat, 5);
    EXPECT_EQ(options->decode, EcuVariant::B7);
    EXPECT_FALSE(options->functional || options->decodeObd || options->help || options->version);
    const auto obd = Parse({"/dev/x", "--functional", "--to", "33", "01", "0C", "--decode", "obd"}, &error);
    ASSERT_TRUE(obd) << error;
    EXPECT_TRUE(obd->functional && obd->decodeObd);
    EXPECT_FALSE(obd->decode.has_value());
}

TEST(TesterOptionsTest, RefusesWhatCannotBeSent) {
    const std::vector<std::string> rows[] = {
        {"--to", "10", "81"},                  // no device
        {"/dev/x"},                            // no request
        {"/dev/x", "--to", "10"},              // no data
        {"/dev/x", "--to", "1", "81"},         // address not two hex digits
        {"/dev/x", "--to", "10", "8"},         // half a byte
        {"/dev/x", "--to", "10", "81", "--p2max", "0"}, {"/dev/x", "--to", "10", "81", "--repeat", "-1"},
        {"/dev/x", "--to", "10", "81", "--echo", "maybe"}, {"/dev/x", "--to", "10", "81", "--decode", "ja5"},
        {"/dev/x", "--to", "10", "81", "--bogus"}, {"/dev/x", "/dev/y", "--to", "10", "81"},
        {"/dev/x", "--to", "10", std::string(512, 'A')},        // over 255 data bytes
        {"/dev/x", "--slowinit", "333"}, {"/dev/x", "--slowinit", "33", "--protocol", "9141"},
        {"/dev/x", "--protocol", "iso9141", "--to", "33", "01", "02", "03", "04", "05", "06", "07", "08"},
        {"/dev/x", "--functional", "--to", "33", "81", "--to", "10", "3E"},  // functional names 33
    };
    std::string error;
    for (const auto& row : rows) {
        error.clear();
        EXPECT_FALSE(Parse(row, &error).has_value()) << row.back();
        EXPECT_FALSE(error.empty());
    }
    EXPECT_NE(error.find("--to 33"), std::string::npos) << error;
}

// --help and --version answer without a device or a request, whatever comes after them.
TEST(TesterOptionsTest, HelpAndVersionNeedNothingElse) {
    const std::tuple<std::vector<std::string>, bool, bool> rows[] = {
        {{"--help"}, true, false},
        {{"-h", "--bogus"}, true, false},
        {{"/dev/x", "--version", "--to"}, false, true},
        {{"/dev/x", "--slowinit", "33"}, false, false},  // a slow init alone needs no request
    };
    for (const auto& [args, help, version] : rows) {
        std::string error;
        const auto options = Parse(args, &error);
        ASSERT_TRUE(options) << args.front() << ": " << error;
        EXPECT_EQ(options->help, help) << args.front();
        EXPECT_EQ(options->version, version) << args.front();
    }
}

// The summary prints the minimum, mean and maximum with the nearest-rank percentiles.
TEST(LatencyStatsTest, NearestRankPercentiles) {
    LatencyStats stats;
    EXPECT_EQ(stats.Summary(), "no replies");
    for (int ms = 20; ms >= 1; --ms) stats.Add(ms);  // 1..20 in reverse order
    EXPECT_DOUBLE_EQ(stats.Percentile(0), 1);
    EXPECT_EQ(stats.Summary(), "min 1.000 mean 10.500 p50 10.000 p95 19.000 max 20.000 ms");
}

// A run longer than the exact samples keeps: min, max and mean stay exact, the percentiles
// come from the histogram within a bucket's width (1 µs, or 1/1024 of the value).
TEST(LatencyStatsTest, LongRunsKeepTheirFiguresInBoundedMemory) {
    const char* given = std::getenv("VORTA_LATENCY_SEED");
    const unsigned seed = given ? static_cast<unsigned>(std::strtoul(given, nullptr, 10)) : std::random_device{}();
    std::printf("latency seed %u (VORTA_LATENCY_SEED=%u repeats it)\n", seed, seed);
    std::mt19937 random(seed);
    std::lognormal_distribution<double> latency(0.5, 1.2);  // ms, a long tail up to seconds
    LatencyStats stats;
    std::vector<double> all;
    for (std::size_t i = 0; i < LatencyStats::kExactSamples * 3; ++i) {
        all.push_back(latency(random));
        stats.Add(all.back());
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(stats.Count(), all.size());
    EXPECT_DOUBLE_EQ(stats.Min(), all.front());
    EXPECT_DOUBLE_EQ(stats.Max(), all.back());
    EXPECT_NEAR(stats.Mean(), std::accumulate(all.begin(), all.end(), 0.0) / all.size(), 1e-9);
    for (const double p : {0.0, 1.0, 50.0, 95.0, 99.9, 100.0}) {
        const double rank = std::ceil(p / 100.0 * all.size());
        const double exact = all[rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1];
        EXPECT_NEAR(stats.Percentile(p), exact, 0.0015 + exact / 1024) << "p" << p << " seed " << seed;
    }
}

}  // namespace
