#include "support/EmulatorHarness.h"

// Every other option framed as a real controller frames,
// these replies the same either way.
TEST(ReadEcuIdentification, EveryOptionSendsItsTextAtStart) {
    const std::pair<std::uint8_t, const char*> options[] = {
        {0x9A, "8A F1 10 5A 9A 56 35 56 31 33 4A 30 32 70"},
        {0x90, "95 F1 10 5A 90 58 54 41 32 31 31 30 34 39 38 37 36 35 34 33 32 31 30 39 AB"},
        {0x91, "92 F1 10 5A 91 32 31 31 32 20 2D 31 34 31 31 30 32 30 2D 36 30 7D"},  // the blank as 20
        {0x97, "91 F1 10 5A 97 53 41 4D 41 52 41 2D 31 2E 35 4C 2C 20 38 56 1F"},
        {0x99, "8C F1 10 5A 99 30 35 2D 30 37 2D 31 39 39 36 7F"},
        {0x92, "8C F1 10 5A 92 30 32 36 31 31 32 33 34 35 36 77"},
        {0x94, "8C F1 10 5A 94 31 34 31 31 30 30 30 2D 30 30 5F"},
    };
    EmulatorHarness h(EcuVariant::B7);
    for (const auto& [option, frame] : options) {
        h.env.framing = option % 2 ? ReplyFraming::Real : ReplyFraming::Compact;
        EXPECT_EQ(HexText(h.Ask({0x1A, option, 0x00})), frame) << int(option);  // trailing bytes ignored
    }
    EXPECT_EQ(HexText(h.Ask({0x1A, 0x95})), "83 F1 10 7F 1A 12 2F");  // 7F 1A 12: no such option
    // 1A alone reads the option an earlier, longer request left behind.
    h.Ask({0x1A, 0x99});
    EXPECT_EQ(HexText(h.Ask({0x1A})), options[4].second);
    EXPECT_TRUE(h.Ask({0x1B, 0x9A}).empty());

    // The texts as the operator left them.
    const std::pair<std::string, Bytes> texts[] = {
        {"", {0x5A, 0x9A}},
        {"Ёж №5", Hex("5A 9A A8 E6 20 B9 35")},  // one byte a character, as the code page tests show
        {std::string(300, 'A'), Join({{0x5A, 0x9A}, Bytes(253, 0x41)})},  // too long for a frame
    };
    for (const auto& [text, data] : texts) {
        h.env.idents[IdentField::RomVersion] = text;
        EXPECT_EQ(Data(h.Ask({0x1A, 0x9A})), data) << text;
    }
}
