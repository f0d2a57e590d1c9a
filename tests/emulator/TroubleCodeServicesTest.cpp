#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/ConversionError.h"
#include "emulator/DataServiceHarness.h"
#include "emulator/TroubleCodeList.h"

namespace {

// The console's list, nothing ticked.
void FillList(FakeEnvironment& env) {
    env.troubleCodes.clear();
    for (const std::string& item : TroubleCodeList()) {
        env.troubleCodes.push_back({item, false});
    }
}

// Ticks the first `count` items whose code is `code`.
void Tick(FakeEnvironment& env, const std::string& code, int count = 1) {
    for (auto& [text, ticked] : env.troubleCodes) {
        if (count > 0 && text.compare(0, 4, code) == 0) {
            ticked = true;
            --count;
        }
    }
}

void TickFirstItems(FakeEnvironment& env, int count) {
    for (int i = 0; i < count; ++i) {
        env.troubleCodes[i].second = true;
    }
}

TEST(ReadDTCByStatus, ReportsTickedCodesInListOrder) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, int>> ticks;
        Bytes frame;
    };
    const Case cases[] = {
        {"none", {}, {0x82, 0xF1, 0x10, 0x58, 0x00, 0xDB}},
        {"0102 and 0300", {{"0300", 1}, {"0102", 1}},
         {0x88, 0xF1, 0x10, 0x58, 0x02, 0x01, 0x02, 0xE0, 0x03, 0x00, 0xE0, 0xA9}},
        {"last item 1689", {{"1689", 1}}, {0x85, 0xF1, 0x10, 0x58, 0x01, 0x16, 0x89, 0xE0, 0x5E}},
        {"duplicate 0601 twice", {{"0601", 2}},
         {0x88, 0xF1, 0x10, 0x58, 0x02, 0x06, 0x01, 0xE0, 0x06, 0x01, 0xE0, 0xB1}},
    };
    for (const Case& c : cases) {
        DataServiceHarness h;
        FillList(h.env);
        for (const auto& [code, count] : c.ticks) {
            Tick(h.env, code, count);
        }
        h.Send(ReadDTCByStatus, {0x18, 0x02, 0xFF, 0x00});  // status and group bytes are ignored
        ASSERT_EQ(h.Replies(), 1) << c.what;
        EXPECT_EQ(h.LastFrame(), c.frame) << c.what;
        EXPECT_EQ(h.LastReply().form, FrameForm::Short) << c.what;
    }
}

TEST(ReadDTCByStatus, ManyCodesTakeTheLongFormAndStopAt84) {
    struct Case {
        int ticked;
        std::size_t dataBytes;
        std::uint8_t count;
    };
    const Case cases[] = {{20, 62, 20}, {21, 65, 21}, {84, 254, 84}, {85, 254, 84}, {113, 254, 84}};
    for (const Case& c : cases) {
        DataServiceHarness h;
        FillList(h.env);
        TickFirstItems(h.env, c.ticked);
        h.Send(ReadDTCByStatus, {0x18});
        const Bytes& data = h.LastReply().data;
        ASSERT_EQ(data.size(), c.dataBytes) << c.ticked;
        EXPECT_EQ(data[1], c.count) << c.ticked;
        // The last code reported is the count-th item of the list.
        const std::string& last = TroubleCodeList()[c.count - 1];
        EXPECT_EQ(data[data.size() - 3], std::stoi(last.substr(0, 2), nullptr, 16)) << c.ticked;
        EXPECT_EQ(data[data.size() - 2], std::stoi(last.substr(2, 2), nullptr, 16)) << c.ticked;
        EXPECT_EQ(data.back(), 0xE0) << c.ticked;
        const Bytes& frame = h.LastFrame();
        EXPECT_EQ(frame.size(), c.dataBytes + (c.dataBytes < 64 ? 4 : 5)) << c.ticked;
    }
}

TEST(ReadDTCByStatus, ACodeThatIsNotHexAbandonsTheReply) {
    DataServiceHarness h;
    h.env.troubleCodes = {{"0102 a", true}, {"01G2 b", true}};
    EXPECT_THROW(h.Send(ReadDTCByStatus, {0x18}), ConversionError);
    h.env.troubleCodes = {{"01", true}};
    EXPECT_THROW(h.Send(ReadDTCByStatus, {0x18}), ConversionError);
    EXPECT_TRUE(h.env.written.empty());
}

TEST(ClearDiagnosticInformation, LightsBothLampsAndKeepsTheTicks) {
    DataServiceHarness h;
    FillList(h.env);
    Tick(h.env, "1689");
    h.Send(ClearDiagnosticInformation, {0x14, 0x00, 0x00});
    EXPECT_EQ(h.LastFrame(), (Bytes{0x83, 0xF1, 0x10, 0x54, 0x00, 0x00, 0xD8}));
    EXPECT_TRUE(h.env.LampOn(Lamp::UiLED3));
    EXPECT_TRUE(h.env.LampOn(Lamp::UiLED5));
    EXPECT_FALSE(h.env.LampOn(Lamp::UiLED4));
    EXPECT_TRUE(h.env.resetTimerEnabled);

    h.Send(ClearDiagnosticInformation, {0x14, 0x00, 0x00}, 0x11);
    EXPECT_EQ(h.LastFrame(), (Bytes{0x83, 0xF1, 0x11, 0x54, 0x00, 0x00, 0xD9}));
    EXPECT_EQ(h.env.resetTimerStarts, 1);  // a running timer is not restarted

    h.Send(ReadDTCByStatus, {0x18});
    EXPECT_EQ(h.LastReply().data, (Bytes{0x58, 0x01, 0x16, 0x89, 0xE0}));
}

TEST(ClearDiagnosticInformation, OtherGroupsGetNothing) {
    const std::initializer_list<std::uint8_t> requests[] = {{0x14, 0xFF, 0x00}, {0x14, 0x00, 0x01}, {0x15, 0x00, 0x00}};
    for (const auto& request : requests) {
        DataServiceHarness h;
        h.Send(ClearDiagnosticInformation, request);
        EXPECT_EQ(h.Replies(), 0);
        EXPECT_FALSE(h.env.LampOn(Lamp::UiLED3));
        EXPECT_FALSE(h.env.resetTimerEnabled);
    }
    // 14 alone is judged by the bytes an earlier request left behind.
    DataServiceHarness h;
    h.Send(ClearDiagnosticInformation, {0x1A, 0x00, 0x00});
    h.Send(ClearDiagnosticInformation, {0x14});
    EXPECT_EQ(h.Replies(), 1);
}

TEST(TroubleCodeList, HoldsTheItemsOfTheConsoleList) {
    const std::vector<std::string>& items = TroubleCodeList();
    ASSERT_EQ(items.size(), 113u);
    EXPECT_EQ(items.front(), "0102 Датчик массового расхода воздуха, низкий уровень выходного сигнала");
    EXPECT_EQ(items[14], "0135 Датчика кислорода до нейтрализатора, нагреватель несправен");
    EXPECT_EQ(items[68], "0601 Ошибка контрольной суммы FLASH-памяти (BOSCH М7.9.7)");
    EXPECT_EQ(items[79], "1124 Аддитивная составляющая корр. по воздуху состава смеси превышает порог. "
                         "Состав \"бедный\"");
    EXPECT_EQ(items.back(), "1689 Сбой функционирования памяти ошибок");
    int repeated0601 = 0;
    int repeated0603 = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string& item = items[i];
        ASSERT_GE(item.size(), 6u) << i;
        for (int k = 0; k < 4; ++k) {
            EXPECT_TRUE(item[k] >= '0' && item[k] <= '9') << item;
        }
        EXPECT_EQ(item[4], ' ') << item;
        EXPECT_NE(item.back(), ' ') << item;
        if (i > 0) {
            EXPECT_LE(items[i - 1].substr(0, 4), item.substr(0, 4)) << "order at " << item;
        }
        repeated0601 += item.compare(0, 4, "0601") == 0;
        repeated0603 += item.compare(0, 4, "0603") == 0;
    }
    EXPECT_EQ(repeated0601, 3);
    EXPECT_EQ(repeated0603, 2);
}

}  // namespace
