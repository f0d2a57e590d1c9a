#include "emulator/ConversionError.h"
#include "support/EmulatorHarness.h"

// Each row on a fresh emulator, every other one framing its replies as a real controller
// does: these replies are the same either way.
TEST(TroubleCodeServices, RepliesInListOrder) {
    using Ticks = std::vector<std::pair<std::string, int>>;
    const std::tuple<Ticks, Bytes, std::uint8_t, const char*> rows[] = {  // frame "": no reply
        {{}, {0x18, 0x02, 0xFF, 0x00}, 0x10, "82 F1 10 58 00 DB"},  // status, group ignored
        {{{"0300", 1}, {"0102", 1}}, {0x18}, 0x10, "88 F1 10 58 02 01 02 E0 03 00 E0 A9"},
        {{{"0601", 2}}, {0x18}, 0x10, "88 F1 10 58 02 06 01 E0 06 01 E0 B1"},  // the duplicate code twice
        {{}, {0x14, 0x00, 0x00}, 0x10, "83 F1 10 54 00 00 D8"},
        {{}, {0x14, 0x00, 0x00}, 0x11, "83 F1 11 54 00 00 D9"}, {{}, {0x14, 0xFF, 0x00}, 0x10, ""},
        {{}, {0x14, 0x00, 0x01}, 0x10, ""},
    };
    for (const auto& [ticks, request, target, frame] : rows) {
        EmulatorHarness h(target == 0x11 ? EcuVariant::B7 : EcuVariant::Ja5);
        h.env.framing = request.size() % 2 ? ReplyFraming::Real : ReplyFraming::Compact;
        FillTroubleCodes(h.env, ticks);
        EXPECT_EQ(HexText(h.Ask(request, target)), frame) << HexText(request) << " at " << int(target);
    }
}

TEST(ReadDTCByStatus, ManyCodesTakeTheLongFormAndStopAt84) {
    // The first items of the list ticked, the format byte, the data bytes, the count byte and
    // the last code reported: 0141 last still in the short form, 0171 with the length byte,
    // 1136 last when only the first 84 of 85 fit a frame.
    const std::tuple<int, std::uint8_t, std::size_t, const char*> rows[] = {
        {20, 0xBE, 62, "14 01 41 E0"}, {21, 0x80, 65, "15 01 71 E0"}, {85, 0x80, 254, "54 11 36 E0"}};
    for (const auto& [ticked, format, dataBytes, countAndLast] : rows) {
        EmulatorHarness h;
        FillTroubleCodes(h.env, {});
        for (int i = 0; i < ticked; ++i) h.env.troubleCodes[i].second = true;
        const Bytes frame = h.Ask({0x18});
        const Bytes data = Data(frame);
        ASSERT_EQ(data.size(), dataBytes) << ticked;
        EXPECT_EQ(frame[0], format) << ticked;
        EXPECT_EQ(HexText({data[1], data[data.size() - 3], data[data.size() - 2], data.back()}), countAndLast);
    }
}

TEST(ReadDTCByStatus, ACodeThatIsNotHexAbandonsTheReply) {
    for (const char* item : {"01G2 b", "01"}) {
        EmulatorHarness h;
        h.env.troubleCodes = {{"0102 a", true}, {item, true}};
        EXPECT_THROW(h.Ask({0x18}), ConversionError) << item;
        EXPECT_TRUE(h.Replies().empty()) << item;
    }
}

TEST(ClearDiagnosticInformation, KeepsTheTicksAndJudgesStaleBytes) {
    EmulatorHarness h;
    FillTroubleCodes(h.env, {{"1689", 1}});
    h.Ask({0x1A, 0xFF, 0x00});
    EXPECT_TRUE(h.Ask({0x14}).empty());  // 14 alone is judged by the FF 00 left behind
    h.Ask({0x1A, 0x00, 0x00});
    EXPECT_EQ(HexText(h.Ask({0x14})), "83 F1 10 54 00 00 D8");
    EXPECT_EQ(HexText(h.Ask({0x18})), "85 F1 10 58 01 16 89 E0 5E");  // still ticked
}
