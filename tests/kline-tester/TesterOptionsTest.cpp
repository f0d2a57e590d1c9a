#include "TesterOptions.h"

#include <gtest/gtest.h>

#include "LatencyStats.h"

namespace {

std::optional<TesterOptions> Parse(std::vector<std::string> args, std::string* error) {
    return TesterOptions::Parse(args, error);
}

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
    EXPECT_FALSE(options->functional);
    EXPECT_FALSE(options->decodeObd);
}

TEST(TesterOptionsTest, FunctionalRequestsAndObdDecoding) {
    std::string error;
    const auto options = Parse({"/dev/x", "--functional", "--to", "33", "01", "0C", "--decode", "obd"}, &error);
    ASSERT_TRUE(options) << error;
    EXPECT_TRUE(options->functional);
    EXPECT_TRUE(options->decodeObd);
    EXPECT_FALSE(options->decode.has_value());
}

TEST(TesterOptionsTest, RefusesWhatCannotBeSent) {
    const std::vector<std::string> rows[] = {
        {"--to", "10", "81"},                  // no device
        {"/dev/x"},                            // no request
        {"/dev/x", "--to", "10"},              // no data
        {"/dev/x", "--to", "1", "81"},         // address not two hex digits
        {"/dev/x", "--to", "10", "8"},         // half a byte
        {"/dev/x", "--to", "10", "GG"},
        {"/dev/x", "--to", "10", "81", "--p2max", "0"},
        {"/dev/x", "--to", "10", "81", "--repeat", "-1"},
        {"/dev/x", "--to", "10", "81", "--echo", "maybe"},
        {"/dev/x", "--to", "10", "81", "--decode", "ja5"},
        {"/dev/x", "--to", "10", "81", "--bogus"},
        {"/dev/x", "/dev/y", "--to", "10", "81"},
        {"/dev/x", "--to", "10", std::string(512, 'A')},        // over 255 data bytes
        {"/dev/x", "--to", "10", "81", "--decode", "OBD"},
        {"/dev/x", "--functional", "--to", "33", "81", "--to", "10", "3E"},  // functional names 33
    };
    for (const auto& row : rows) {
        std::string error;
        EXPECT_FALSE(Parse(row, &error).has_value()) << row.back();
        EXPECT_FALSE(error.empty());
    }
    std::string error;
    Parse(rows[std::size(rows) - 1], &error);
    EXPECT_NE(error.find("--to 33"), std::string::npos) << error;
}

// --help and --version answer without a device or a request, whatever comes after them.
TEST(TesterOptionsTest, HelpAndVersionNeedNothingElse) {
    struct Row {
        std::vector<std::string> args;
        bool help;
        bool version;
    };
    const Row rows[] = {
        {{"--help"}, true, false},
        {{"-h", "--bogus"}, true, false},
        {{"--version"}, false, true},
        {{"/dev/x", "--version", "--to"}, false, true},
        {{"/dev/x", "--to", "10", "81"}, false, false},
    };
    for (const auto& row : rows) {
        std::string error;
        const auto options = Parse(row.args, &error);
        ASSERT_TRUE(options) << row.args.front() << ": " << error;
        EXPECT_EQ(options->help, row.help) << row.args.front();
        EXPECT_EQ(options->version, row.version) << row.args.front();
    }
}

TEST(LatencyStatsTest, NearestRankPercentiles) {
    LatencyStats stats;
    EXPECT_EQ(stats.Summary(), "no replies");
    for (int ms = 20; ms >= 1; --ms) stats.Add(ms);  // 1..20 in reverse order
    EXPECT_DOUBLE_EQ(stats.Min(), 1);
    EXPECT_DOUBLE_EQ(stats.Max(), 20);
    EXPECT_DOUBLE_EQ(stats.Mean(), 10.5);
    EXPECT_DOUBLE_EQ(stats.Percentile(50), 10);
    EXPECT_DOUBLE_EQ(stats.Percentile(95), 19);
    EXPECT_DOUBLE_EQ(stats.Percentile(0), 1);
    EXPECT_EQ(stats.Summary(), "min 1.000 mean 10.500 p50 10.000 p95 19.000 max 20.000 ms");
}

}  // namespace
