#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/ConversionError.h"
#include "support/EmulatorHarness.h"
#include "emulator/TroubleCodeList.h"

namespace {

// The console's list with the first `count` items of each given code ticked.
void FillList(FakeEnvironment& env, const std::vector<std::pair<std::string, int>>& ticks) {
    env.troubleCodes.clear();
    for (const std::string& item : TroubleCodeList()) env.troubleCodes.push_back({item, false});
    for (auto [code, count] : ticks) {
        for (auto& [text, ticked] : env.troubleCodes) {
            if (count > 0 && text.compare(0, 4, code) == 0) {
                ticked = true;
                --count;
            }
        }
    }
}

TEST(TroubleCodeServices, RepliesInListOrder) {
    struct Row {
        std::vector<std::pair<std::string, int>> ticks;
        Bytes request;
        std::uint8_t target;
        Bytes frame;  // empty: no reply
    };
    const Row rows[] = {
        {{}, {0x18, 0x02, 0xFF, 0x00}, 0x10, {0x82, 0xF1, 0x10, 0x58, 0x00, 0xDB}},  // status, group ignored
        {{{"0300", 1}, {"0102", 1}}, {0x18}, 0x10,
         {0x88, 0xF1, 0x10, 0x58, 0x02, 0x01, 0x02, 0xE0, 0x03, 0x00, 0xE0, 0xA9}},
        {{{"1689", 1}}, {0x18}, 0x10, {0x85, 0xF1, 0x10, 0x58, 0x01, 0x16, 0x89, 0xE0, 0x5E}},
        {{{"0601", 2}}, {0x18}, 0x10,  // the duplicate code twice
         {0x88, 0xF1, 0x10, 0x58, 0x02, 0x06, 0x01, 0xE0, 0x06, 0x01, 0xE0, 0xB1}},
        {{}, {0x14, 0x00, 0x00}, 0x10, {0x83, 0xF1, 0x10, 0x54, 0x00, 0x00, 0xD8}},
        {{}, {0x14, 0x00, 0x00}, 0x11, {0x83, 0xF1, 0x11, 0x54, 0x00, 0x00, 0xD9}},
        {{}, {0x14, 0xFF, 0x00}, 0x10, {}},
        {{}, {0x14, 0x00, 0x01}, 0x10, {}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EmulatorHarness h(rows[i].target == 0x11 ? EcuVariant::B7 : EcuVariant::Ja5);
        FillList(h.env, rows[i].ticks);
        EXPECT_EQ(h.Ask(rows[i].request, rows[i].target), rows[i].frame) << "row " << i;
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
        {84, 0x80, 254, {0x54, 0x11, 0x36, 0xE0}},  // 1136 last
        {85, 0x80, 254, {0x54, 0x11, 0x36, 0xE0}},  // only the first 84 fit a frame
    };
    for (const Row& row : rows) {
        EmulatorHarness h;
        FillList(h.env, {});
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
    FillList(h.env, {{"1689", 1}});
    h.Ask({0x1A, 0xFF, 0x00});
    EXPECT_TRUE(h.Ask({0x14}).empty());  // 14 alone is judged by the FF 00 left behind
    h.Ask({0x1A, 0x00, 0x00});
    EXPECT_EQ(h.Ask({0x14}), (Bytes{0x83, 0xF1, 0x10, 0x54, 0x00, 0x00, 0xD8}));
    EXPECT_EQ(h.Ask({0x18}), (Bytes{0x85, 0xF1, 0x10, 0x58, 0x01, 0x16, 0x89, 0xE0, 0x5E}));  // still ticked
}

}  // namespace
