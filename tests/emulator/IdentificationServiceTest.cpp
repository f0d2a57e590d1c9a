#include <gtest/gtest.h>

#include <string>

#include "emulator/DataServiceHarness.h"

namespace {

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(ReadEcuIdentification, EveryOptionSendsItsTextAtStart) {
    const std::pair<std::uint8_t, Bytes> cases[] = {
        {0x9A, {0x8A, 0xF1, 0x10, 0x5A, 0x9A, 0x56, 0x35, 0x56, 0x31, 0x33, 0x4A, 0x30, 0x32, 0x70}},
        {0x90, {0x95, 0xF1, 0x10, 0x5A, 0x90, 0x58, 0x54, 0x41, 0x32, 0x31, 0x31, 0x30, 0x34, 0x39, 0x38, 0x37,
                0x36, 0x35, 0x34, 0x33, 0x32, 0x31, 0x30, 0x39, 0xAB}},
        // The blank inside the serial number goes out as 20.
        {0x91, {0x92, 0xF1, 0x10, 0x5A, 0x91, 0x32, 0x31, 0x31, 0x32, 0x20, 0x2D, 0x31, 0x34, 0x31, 0x31, 0x30,
                0x32, 0x30, 0x2D, 0x36, 0x30, 0x7D}},
        {0x97, {0x91, 0xF1, 0x10, 0x5A, 0x97, 0x53, 0x41, 0x4D, 0x41, 0x52, 0x41, 0x2D, 0x31, 0x2E, 0x35, 0x4C,
                0x2C, 0x20, 0x38, 0x56, 0x1F}},
        {0x99, {0x8C, 0xF1, 0x10, 0x5A, 0x99, 0x30, 0x35, 0x2D, 0x30, 0x37, 0x2D, 0x31, 0x39, 0x39, 0x36, 0x7F}},
        {0x92, {0x8C, 0xF1, 0x10, 0x5A, 0x92, 0x30, 0x32, 0x36, 0x31, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x77}},
        {0x94, {0x8C, 0xF1, 0x10, 0x5A, 0x94, 0x31, 0x34, 0x31, 0x31, 0x30, 0x30, 0x30, 0x2D, 0x30, 0x30, 0x5F}},
    };
    for (const auto& [option, frame] : cases) {
        DataServiceHarness h;
        h.Send(ReadEcuIdentification, {0x1A, option, 0x00});  // trailing bytes are ignored
        ASSERT_EQ(h.Replies(), 1);
        EXPECT_EQ(h.LastFrame(), frame) << int(option);
        EXPECT_EQ(h.LastReply().form, FrameForm::Short);

        // The same data from 0x11: address and checksum move by one.
        h.Send(ReadEcuIdentification, {0x1A, option}, 0x11);
        Bytes from11 = frame;
        from11[2] = 0x11;
        ++from11.back();
        EXPECT_EQ(h.LastFrame(), from11) << int(option);
    }
}

TEST(ReadEcuIdentification, TextsAsTheOperatorLeftThem) {
    struct Case {
        const char* what;
        std::string text;
        Bytes data;
    };
    const Case cases[] = {
        {"emptied", "", {0x5A, 0x9A}},
        {"another type's ROM", "J5V03J21", {0x5A, 0x9A, 0x4A, 0x35, 0x56, 0x30, 0x33, 0x4A, 0x32, 0x31}},
        {"Cyrillic", "Ёж Январь №5 €",
         {0x5A, 0x9A, 0xA8, 0xE6, 0x20, 0xDF, 0xED, 0xE2, 0xE0, 0xF0, 0xFC, 0x20, 0xB9, 0x35, 0x20, 0x88}},
        {"outside the code page", "V5\u65E5", {0x5A, 0x9A, 0x56, 0x35, 0x3F}},
        {"too long for a frame", std::string(300, 'A'), Concat({{0x5A, 0x9A}, Bytes(253, 0x41)})},
    };
    for (const Case& c : cases) {
        DataServiceHarness h;
        h.env.idents[IdentField::RomVersion] = c.text;
        h.Send(ReadEcuIdentification, {0x1A, 0x9A});
        ASSERT_EQ(h.Replies(), 1) << c.what;
        EXPECT_EQ(h.LastReply().data, c.data) << c.what;
        ASSERT_FALSE(h.env.written.empty()) << c.what;  // the framer accepted it
    }
}

TEST(ReadEcuIdentification, LongTextsTakeTheLongForm) {
    DataServiceHarness h;
    h.env.idents[IdentField::Vin] = std::string(62, '7');
    h.Send(ReadEcuIdentification, {0x1A, 0x90});
    const Bytes& frame = h.LastFrame();
    ASSERT_EQ(frame.size(), 69u);
    // 80 F1 10 40: 64 data bytes behind a separate length byte.
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 6), (Bytes{0x80, 0xF1, 0x10, 0x40, 0x5A, 0x90}));

    h.env.idents[IdentField::Vin] = std::string(400, '7');
    h.Send(ReadEcuIdentification, {0x1A, 0x90});
    // 80 F1 10 FF: the first 253 characters fill the largest frame.
    EXPECT_EQ(h.LastFrame().size(), 260u);
    EXPECT_EQ(h.LastFrame()[3], 0xFF);
}

TEST(ReadEcuIdentification, UnknownOptionIsRefusedAndStaleOptionServed) {
    DataServiceHarness h;
    h.Send(ReadEcuIdentification, {0x1A, 0x95});
    EXPECT_EQ(h.LastFrame(), (Bytes{0x83, 0xF1, 0x10, 0x7F, 0x1A, 0x12, 0x2F}));  // 7F 1A 12: no such option

    // 1A alone reads the option an earlier, longer request left behind.
    h.Send(ReadEcuIdentification, {0x1A, 0x99});
    h.Send(ReadEcuIdentification, {0x1A});
    EXPECT_EQ(h.LastReply().data, h.reply.replies[1].data);

    const int before = h.Replies();
    h.Send(ReadEcuIdentification, {0x1B, 0x9A});
    EXPECT_EQ(h.Replies(), before);
}

}  // namespace
