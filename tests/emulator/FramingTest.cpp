#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "emulator/FakeEnvironment.h"
#include "emulator/HexConversionError.h"
#include "emulator/KwpFrame.h"
#include "emulator/ResponseFramer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Repeat(std::size_t n, std::uint8_t value = 0x11) { return Bytes(n, value); }

// The last byte closes the 8-bit sum of all others.
bool ChecksumCloses(const Bytes& frame) {
    return !frame.empty() &&
           static_cast<std::uint8_t>(std::accumulate(frame.begin(), frame.end() - 1, 0u)) == frame.back();
}

TEST(FramingTest, BuildFrameHeaders) {
    struct Row {
        const char* what;
        Bytes data;
        FrameForm form;
        Bytes header;  // first bytes of the frame
        std::size_t size;
    };
    const std::vector<Row> rows = {
        {"empty payload: 80 F1 10 CS", {}, FrameForm::Short, {0x80, 0xF1, 0x10, 0x81}, 4},
        {"62 by size stay short: BE", Repeat(62), FrameForm::BySize, {0xBE, 0xF1, 0x10, 0x11}, 66},
        {"63 by size go long: 80 F1 10 3F", Repeat(63), FrameForm::BySize, {0x80, 0xF1, 0x10, 0x3F}, 68},
        {"63 short fit the format byte: BF", Repeat(63), FrameForm::Short, {0xBF, 0xF1, 0x10, 0x11}, 67},
        {"64 short fall back to long", Repeat(64), FrameForm::Short, {0x80, 0xF1, 0x10, 0x40}, 69},
        {"long even for one byte", {0x7E}, FrameForm::Long, {0x80, 0xF1, 0x10, 0x01, 0x7E, 0x00}, 6},
        {"255 is the most a length byte holds", Repeat(255), FrameForm::Long, {0x80, 0xF1, 0x10, 0xFF}, 260},
        {"256 cannot be framed", Repeat(256), FrameForm::Long, {}, 0},
    };
    for (const auto& row : rows) {
        const Bytes frame = BuildFrame(0xF1, 0x10, row.data.data(), row.data.size(), row.form);
        EXPECT_EQ(frame.size(), row.size) << row.what;
        EXPECT_EQ(Bytes(frame.begin(), frame.begin() + std::min(frame.size(), row.header.size())), row.header)
            << row.what;
        if (!frame.empty()) {
            EXPECT_TRUE(ChecksumCloses(frame)) << row.what;
        }
    }
}

TEST(FramingTest, ParseHexPayload) {
    struct Row {
        const char* text;
        std::optional<Bytes> bytes;
        std::string badPair;
    };
    const std::vector<Row> rows = {
        {"7F 83 12", Bytes{0x7F, 0x83, 0x12}, ""},
        {"7F8312", Bytes{0x7F, 0x83, 0x12}, ""},       // pairs without blanks
        {"5 08 1", Bytes{0x50, 0x81}, ""},             // blanks anywhere
        {"50 81 0", Bytes{0x50, 0x81}, ""},            // lone trailing digit dropped
        {"c3 0a", Bytes{0xC3, 0x0A}, ""},              // lower case
        {"50 7G 00", std::nullopt, "7G"},
        {"50 -1", std::nullopt, "-1"},
    };
    for (const auto& row : rows) {
        std::string bad;
        EXPECT_EQ(ParseHexPayload(row.text, &bad), row.bytes) << row.text;
        EXPECT_EQ(bad, row.badPair) << row.text;
    }
}

TEST(FramingTest, ExpectedFrameSize) {
    using S = FrameSize::Status;
    struct Row {
        Bytes head;
        S status;
        std::size_t bytes;
    };
    const std::vector<Row> rows = {
        {{}, S::NeedMore, 1},
        {{0x81}, S::Known, 5},                     // 81: one data byte
        {{0x80, 0x10, 0xF1}, S::NeedMore, 4},      // length byte not yet here
        {{0x80, 0x10, 0xF1, 0x02}, S::Known, 7},   // 80 .. 02: L + 5
        {{0x80, 0x10, 0xF1, 0xFF}, S::Known, 260},
        {{0x00, 0x81}, S::NotServed, 0},           // wake-up zero
        {{0xC1}, S::NotServed, 0},                 // functional addressing
    };
    for (const auto& row : rows) {
        const FrameSize size = ExpectedFrameSize(row.head.data(), row.head.size());
        EXPECT_EQ(size.status, row.status) << row.head.size();
        EXPECT_EQ(size.bytes, row.bytes) << row.head.size();
    }
}

TEST(FramingTest, ResponseFramerNeverWritesAnInvalidFrame) {
    FakeEnvironment env;
    ResponseFramer framer(env);
    framer.SetRequestAddresses(0x10, 0xF1);  // replies go to F1 from 0x10
    try {
        framer.SendHexResponse("61 01 Z9", FrameForm::Short);
        ADD_FAILURE() << "a non-hex pair must abandon the reply";
    } catch (const HexConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("'Z9'"), std::string::npos) << e.what();
    }
    std::string tooLong;
    for (int i = 0; i < 256; ++i) tooLong += "00 ";
    framer.SendHexResponse(tooLong, FrameForm::BySize);
    EXPECT_TRUE(env.written.empty());

    framer.SendHexResponse(tooLong.substr(3), FrameForm::BySize);  // 255 bytes still fit
    ASSERT_EQ(env.written.size(), 1u);
    EXPECT_EQ(Bytes(env.written[0].begin(), env.written[0].begin() + 4), (Bytes{0x80, 0xF1, 0x10, 0xFF}));
    EXPECT_EQ(env.written[0].size(), 260u);
}

}  // namespace
