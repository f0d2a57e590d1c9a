#include <numeric>

#include "emulator/HexConversionError.h"
#include "emulator/ResponseFramer.h"
#include "support/EmulatorHarness.h"
#include "support/MessageOf.h"

TEST(FramingTest, BuildFrameHeaders) {
    const std::tuple<const char*, std::size_t, FrameForm, const char*, std::size_t> rows[] = {
        // what, data bytes (11 each), form, first bytes of the frame, size
        {"empty payload: 80 F1 10 CS", 0, FrameForm::Short, "80 F1 10 81", 4},
        {"62 by size stay short", 62, FrameForm::BySize, "BE F1 10 11", 66},
        {"63 by size go long", 63, FrameForm::BySize, "80 F1 10 3F", 68},
        {"63 short fit the format byte", 63, FrameForm::Short, "BF F1 10 11", 67},
        {"64 short fall back to long", 64, FrameForm::Short, "80 F1 10 40", 69},
        {"long even for one byte", 1, FrameForm::Long, "80 F1 10 01 11 93", 6},
        {"255 is the most a length byte holds", 255, FrameForm::Long, "80 F1 10 FF", 260},
        {"256 cannot be framed", 256, FrameForm::Long, "", 0},
    };
    for (const auto& [what, count, form, header, size] : rows) {
        const Bytes data(count, 0x11);
        const Bytes frame = BuildFrame(0xF1, 0x10, data.data(), data.size(), form);
        ASSERT_EQ(frame.size(), size) << what;
        EXPECT_EQ(HexText(frame).substr(0, std::string(header).size()), header) << what;
        // The last byte closes the 8-bit sum of all others.
        const unsigned sum = frame.empty() ? 0u : std::accumulate(frame.begin(), frame.end() - 1, 0u);
        EXPECT_TRUE(frame.empty() || sum % 256 == frame.back()) << what;
    }
}

TEST(FramingTest, FunctionalFramesKeepTheLengthRules) {
    using S = FrameSize::Status;
    const std::tuple<const char*, bool, S, std::size_t> rows[] = {
        // the bytes arrived so far, OBD-II on, status, frame size
        {"C1", true, S::Known, 5},             // one data byte
        {"FF", true, S::Known, 67},            // 63 data bytes
        {"C0 33 F1", true, S::NeedMore, 4},    // the length byte is needed
        {"C0 33 F1 02", true, S::Known, 7},
        {"C1", false, S::NotServed, 0},        // not taken without OBD-II
        {"7F", true, S::NotServed, 0},         // never a format byte
        {"81", true, S::Known, 5},             // taken either way
    };
    for (const auto& [start, functional, status, bytes] : rows) {
        const Bytes arrived = Hex(start);
        const FrameSize size = ExpectedFrameSize(arrived.data(), arrived.size(), functional);
        EXPECT_EQ(size.status, status) << start;
        EXPECT_EQ(size.bytes, bytes) << start;
    }
    // The short functional frames the OBD-II tests send are built here too; a long one:
    const Bytes many(64, 0x00);
    const Bytes longFrame = BuildFunctionalFrame(0x33, 0xF1, many.data(), many.size());
    EXPECT_EQ(HexText(longFrame).substr(0, 11), "C0 33 F1 40");
    const FrameView view = DecodeFrame(longFrame.data());
    EXPECT_TRUE(view.functional);
    EXPECT_EQ(view.length, 64u);
    EXPECT_EQ(view.target, 0x33);
}

TEST(FramingTest, ParseHexPayload) {
    const std::tuple<const char*, std::optional<Bytes>, std::string> rows[] = {
        {"7F 83 12", Bytes{0x7F, 0x83, 0x12}, ""},
        {"7F8312", Bytes{0x7F, 0x83, 0x12}, ""},  // pairs without blanks
        {"5 08 1", Bytes{0x50, 0x81}, ""},        // blanks anywhere
        {"50 81 0", Bytes{0x50, 0x81}, ""},       // lone trailing digit dropped
        {"c3 0a", Bytes{0xC3, 0x0A}, ""},         // lower case
        {"50 7G 00", std::nullopt, "7G"}, {"50 -1", std::nullopt, "-1"},
    };
    for (const auto& [text, bytes, badPair] : rows) {
        std::string bad;
        EXPECT_EQ(ParseHexPayload(text, &bad), bytes) << text;
        EXPECT_EQ(bad, badPair) << text;
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
