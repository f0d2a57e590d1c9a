#include "emulator/ConversionError.h"
#include "support/EmulatorHarness.h"

// Each row on a fresh emulator, every other one framing its replies as a real controller
// does: these replies are the same either way.
TEST(TroubleCodeServices, RepliesInListOrder) {
    struct Row {
        std::vector<std::pair<std::string, int>> ticks;
        Bytes request;
        std::uint8_t target;
        const char* frame;  // "": no reply
    };
    const Row rows[] = {
        {{}, {0x18, 0x02, 0xFF, 0x00}, 0x10, "82 F1 10 58 00 DB"},  // status, group ignored
        {{{"0300", 1}, {"0102", 1}}, {0x18}, 0x10, "88 F1 10 58 02 01 02 E0 03 00 E0 A9"},
        {{{"0601", 2}}, {0x18}, 0x10, "88 F1 10 58 02 06 01 E0 06 01 E0 B1"},  // the duplicate code twice
        {{}, {0x14, 0x00, 0x00}, 0x10, "83 F1 10 54 00 00 D8"},
        {{}, {0x14, 0x00, 0x00}, 0x11, "83 F1 11 54 00 00 D9"},
        {{}, {0x14, 0xFF, 0x00}, 0x10, ""},
        {{}, {0x14, 0x00, 0x01}, 0x10, ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EmulatorHarness h(rows[i].target == 0x11 ? EcuVariant::B7 : EcuVariant::Ja5);
        h.env.framing = i % 2 ? ReplyFraming::Real : ReplyFraming::Compact;
        FillTroubleCodes(h.env, rows[i].ticks);
        EXPECT_EQ(HexText(h.Ask(rows[i].request, rows[i].target)), rows[i].frame) << "row " << i;
    }
}

TEST(ReadDTCByStatus, ManyCodesTakeTheLongFormAndStopAt84) {
    struct Row {
        int ticked;  // the first items of the list
        std::uint8_t format;
        std::size_t dataBytes;
        Bytes countAndLast;  // count byte, then the last code reported
    };
    const Row rows[] = {
        {20, 0xBE, 62, {0x14, 0x01, 0x41, 0xE0}},   // 0141 last: still the short form
        {21, 0x80, 65, {0x15, 0x01, 0x71, 0xE0}},   // 0171 last: the length byte is needed
        {85, 0x80, 254, {0x54, 0x11, 0x36, 0xE0}},  // 1136 last: only the first 84 fit a frame
    };
    for (const Row& row : rows) {
        EmulatorHarness h;
        FillTroubleCodes(h.env, {});
        for (int i = 0; i < row.ticked; ++i) h.env.troubleCodes[i].second = true;
        const Bytes frame = h.Ask({0x18});
        const Bytes data = Data(frame);
        ASSERT_EQ(data.size(), row.dataBytes) << row.ticked;
        EXPECT_EQ(frame[0], row.format) << row.ticked;
        EXPECT_EQ((Bytes{data[1], data[data.size() - 3], data[data.size() - 2], data.back()}), row.countAndLast)
            << row.ticked;
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
