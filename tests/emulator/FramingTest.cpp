#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "support/EmulatorHarness.h"
#include "emulator/HexConversionError.h"
#include "emulator/ResponseFramer.h"
#include "support/MessageOf.h"

namespace {

TEST(FramingTest, BuildFrameHeaders) {
    struct Row {
        const char* what;
        Bytes data;
        FrameForm form;
        Bytes header;  // first bytes of the frame
        std::size_t size;
    };
    const Row rows[] = {
        {"empty payload: 80 F1 10 CS", {}, FrameForm::Short, {0x80, 0xF1, 0x10, 0x81}, 4},
        {"62 by size stay short: BE", Bytes(62, 0x11), FrameForm::BySize, {0xBE, 0xF1, 0x10, 0x11}, 66},
        {"63 by size go long: 80 F1 10 3F", Bytes(63, 0x11), FrameForm::BySize, {0x80, 0xF1, 0x10, 0x3F}, 68},
        {"63 short fit the format byte: BF", Bytes(63, 0x11), FrameForm::Short, {0xBF, 0xF1, 0x10, 0x11}, 67},
        {"64 short fall back to long", Bytes(64, 0x11), FrameForm::Short, {0x80, 0xF1, 0x10, 0x40}, 69},
        {"long even for one byte", {0x7E}, FrameForm::Long, {0x80, 0xF1, 0x10, 0x01, 0x7E, 0x00}, 6},
        {"255 is the most a length byte holds", Bytes(255, 0x11), FrameForm::Long, {0x80, 0xF1, 0x10, 0xFF}, 260},
        {"256 cannot be framed", Bytes(256, 0x11), FrameForm::Long, {}, 0},
    };
    for (const Row& row : rows) {
        const Bytes frame = BuildFrame(0xF1, 0x10, row.data.data(), row.data.size(), row.form);
        ASSERT_EQ(frame.size(), row.size) << row.what;
        EXPECT_EQ(Bytes(frame.begin(), frame.begin() + row.header.size()), row.header) << row.what;
        // The last byte closes the 8-bit sum of all others.
        EXPECT_TRUE(frame.empty() || std::accumulate(frame.begin(), frame.end() - 1, 0u) % 256 == frame.back())
            << row.what;
    }
}

TEST(FramingTest, FunctionalFramesKeepTheLengthRules) {
    struct Row {
        const char* what;
        Bytes start;  // the bytes arrived so far
        bool functional;
        FrameSize::Status status;
        std::size_t bytes;
    };
    const Row rows[] = {
        {"C1: one data byte", {0xC1}, true, FrameSize::Status::Known, 5},
        {"FF: 63 data bytes", {0xFF}, true, FrameSize::Status::Known, 67},
        {"C0: the length byte is needed", {0xC0, 0x33, 0xF1}, true, FrameSize::Status::NeedMore, 4},
        {"C0 with its length byte", {0xC0, 0x33, 0xF1, 0x02}, true, FrameSize::Status::Known, 7},
        {"C1 not taken without OBD", {0xC1}, false, FrameSize::Status::NotServed, 0},
        {"7F never a format byte", {0x7F}, true, FrameSize::Status::NotServed, 0},
        {"81 taken either way", {0x81}, true, FrameSize::Status::Known, 5},
    };
    for (const Row& row : rows) {
        const FrameSize size = ExpectedFrameSize(row.start.data(), row.start.size(), row.functional);
        EXPECT_EQ(size.status, row.status) << row.what;
        EXPECT_EQ(size.bytes, row.bytes) << row.what;
    }
    const Bytes two = {0x01, 0x0C};
    EXPECT_EQ(BuildFunctionalFrame(0x33, 0xF1, two.data(), two.size()), (Bytes{0xC2, 0x33, 0xF1, 0x01, 0x0C, 0xF3}));
    const Bytes many(64, 0x00);
    const Bytes longFrame = BuildFunctionalFrame(0x33, 0xF1, many.data(), many.size());
    EXPECT_EQ(Bytes(longFrame.begin(), longFrame.begin() + 4), (Bytes{0xC0, 0x33, 0xF1, 0x40}));
    const FrameView view = DecodeFrame(longFrame.data());
    EXPECT_TRUE(view.functional);
    EXPECT_EQ(view.length, 64u);
    EXPECT_EQ(view.target, 0x33);
}

TEST(FramingTest, ParseHexPayload) {
    struct Row {
        const char* text;
        std::optional<Bytes> bytes;
        std::string badPair;
    };
    const Row rows[] = {
        {"7F 83 12", Bytes{0x7F, 0x83, 0x12}, ""},
        {"7F8312", Bytes{0x7F, 0x83, 0x12}, ""},  // pairs without blanks
        {"5 08 1", Bytes{0x50, 0x81}, ""},        // blanks anywhere
        {"50 81 0", Bytes{0x50, 0x81}, ""},       // lone trailing digit dropped
        {"c3 0a", Bytes{0xC3, 0x0A}, ""},         // lower case
        {"50 7G 00", std::nullopt, "7G"},
        {"50 -1", std::nullopt, "-1"},
    };
    for (const Row& row : rows) {
        std::string bad;
        EXPECT_EQ(ParseHexPayload(row.text, &bad), row.bytes) << row.text;
        EXPECT_EQ(bad, row.badPair) << row.text;
    }
}

TEST(FramingTest, ResponseFramerNeverWritesAnInvalidFrame) {
    FakeEnvironment env;
    ResponseFramer framer(env);
    framer.SetRequestAddresses(0x10, 0xF1);
    const std::string message =
        MessageOf<HexConversionError>([&] { framer.SendHexResponse("61 01 Z9", FrameForm::Short); });
    EXPECT_NE(message.find("'Z9'"), std::string::npos) << message;  // a non-hex pair abandons the reply
    std::string tooLong;
    for (int i = 0; i < 256; ++i) tooLong += "00 ";
    framer.SendHexResponse(tooLong, FrameForm::BySize);
    EXPECT_TRUE(env.written.empty());
}

}  // namespace
