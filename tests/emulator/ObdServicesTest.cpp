#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "emulator/ConversionError.h"
#include "support/EmulatorHarness.h"
#include "protocol/ObdPids.h"
#include "emulator/TroubleCodeList.h"

namespace {

using V = EcuVariant;
using Frames = std::vector<Bytes>;
using std::chrono::milliseconds;

// An emulator whose selected type has the OBD-II option as given, with the console's list
// of trouble codes.
struct ObdBench {
    explicit ObdBench(V variant = V::B7, bool obd = true) : h(variant) {
        h.emulator.Obd().Set(variant, obd);
        for (const std::string& item : TroubleCodeList()) h.env.troubleCodes.push_back({item, false});
    }

    Frames Functional(const Bytes& data, std::uint8_t target = 0x33) {
        h.Chunk(BuildFunctionalFrame(target, 0xF1, data.data(), data.size()), 100);
        return h.Replies();
    }
    Frames Physical(const Bytes& data, std::uint8_t target) {
        h.Chunk(BuildFrame(target, 0xF1, data.data(), data.size(), FrameForm::Short), 100);
        return h.Replies();
    }

    // The data bytes of every reply frame to a request at `target` (0x33: functional), the
    // session started there first. Each frame must be a short frame from `from` to F1 that
    // a tester takes: at most 7 data bytes, the checksum right.
    Frames Ask(const Bytes& data, std::uint8_t target = 0x33, std::uint8_t from = 0x10) {
        if (!h.emulator.CommunicationActive()) {
            target == 0x33 ? Functional({0x81}) : Physical({0x81}, target);
        }
        const Frames frames = target == 0x33 ? Functional(data) : Physical(data, target);
        Frames replies;
        for (const Bytes& frame : frames) {
            EXPECT_LE(frame.size(), 11u);
            EXPECT_EQ(frame[0] & 0xC0, 0x80);
            EXPECT_EQ(frame[1], 0xF1);
            EXPECT_EQ(frame[2], from);
            EXPECT_EQ(FrameChecksum(frame.data(), frame.size() - 1), frame.back());
            replies.push_back(Data(frame));
        }
        return replies;
    }

    void Tick(const std::string& code, int count = 1) {
        for (auto& [text, ticked] : h.env.troubleCodes) {
            if (count > 0 && text.compare(0, 4, code) == 0) {
                ticked = true;
                --count;
            }
        }
    }

    EmulatorHarness h;
};

TEST(ObdSessionTest, FunctionalStartPresentAndStop) {
    struct Row {
        V variant;
        std::vector<std::pair<Bytes, Frames>> exchange;  // request to 0x33, frames in answer
    };
    const Bytes kStart = {0x81}, kPresent = {0x3E}, kStop = {0x82}, kSpeed = {0x01, 0x0D};
    const Row rows[] = {
        {V::B7,
         {{kPresent, {}},  // nothing before StartCommunication
          {kSpeed, {}},
          {kStop, {}},
          {kStart, {{0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3}}},  // the type's own keys, as at 0x10
          {kPresent, {{0x81, 0xF1, 0x10, 0x7E, 0x00}}},
          {{0x3E, 0x01}, {{0x81, 0xF1, 0x10, 0x7E, 0x00}}},
          {kSpeed, {{0x83, 0xF1, 0x10, 0x41, 0x0D, 0x00, 0xD2}}},
          {{0x21, 0x01}, {}},  // manufacturer services are not answered at 0x33
          {{0x1A, 0x90}, {}},
          {kStop, {{0x81, 0xF1, 0x10, 0xC2, 0x44}}},
          {kPresent, {}},  // the stop ended the session
          {kSpeed, {}},
          {kStart, {{0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3}}}}},
        {V::BMP,
         {{kStart, {{0x83, 0xF1, 0x11, 0xC1, 0x6B, 0x8F, 0x40}}},
          {kPresent, {{0x81, 0xF1, 0x11, 0x7E, 0x01}}},
          {kSpeed, {{0x83, 0xF1, 0x11, 0x41, 0x0D, 0x00, 0xD3}}}}},
    };
    for (const Row& row : rows) {
        ObdBench b(row.variant);
        for (std::size_t i = 0; i < row.exchange.size(); ++i) {
            const auto& [request, frames] = row.exchange[i];
            EXPECT_EQ(b.Functional(request), frames) << static_cast<int>(row.variant) << " step " << i;
        }
    }
}

TEST(ObdSessionTest, FunctionalSessionIsTheSessionOfThePhysicalAddress) {
    ObdBench b(V::B7);
    b.Functional({0x81});
    // started at 0x33, the manufacturer services answer at 0x10 and 0x11 too
    EXPECT_EQ(b.Physical({0x3E}, 0x11), (Frames{{0x81, 0xF1, 0x11, 0x7E, 0x01}}));
    EXPECT_EQ(b.Physical({0x21, 0x01}, 0x10).size(), 1u);
    b.Functional({0x82});
    EXPECT_EQ(b.Physical({0x3E}, 0x10), Frames{});
    // a physical StopCommunication leaves communication on, as always
    b.Physical({0x81}, 0x10);
    EXPECT_EQ(b.Physical({0x82}, 0x10), (Frames{{0x81, 0xF1, 0x10, 0xC2, 0x44}}));
    EXPECT_EQ(b.Functional({0x3E}), (Frames{{0x81, 0xF1, 0x10, 0x7E, 0x00}}));
}

TEST(ObdReceptionTest, FunctionalFramesAreTakenOnlyWithTheOption) {
    const Bytes start = BuildFunctionalFrame(0x33, 0xF1, Bytes{0x81}.data(), 1);          // C1 33 F1 81 66
    const Bytes toOther = BuildFunctionalFrame(0x10, 0xF1, Bytes{0x81}.data(), 1);        // C1 10 F1 81 43
    const Bytes present = BuildFrame(0x10, 0xF1, Bytes{0x3E}.data(), 1, FrameForm::Short);  // 81 10 F1 3E C0
    const Bytes rpm = {0xC0, 0x33, 0xF1, 0x02, 0x01, 0x0C, 0xF3};  // the length in a byte of its own
    const Bytes answerRpm = {0x84, 0xF1, 0x10, 0x41, 0x0C, 0x00, 0x00, 0xD2};
    struct Row {
        const char* what;
        bool obd;
        std::vector<Bytes> chunks;
        Frames replies;
    };
    const Row rows[] = {
        {"start", true, {start}, {{0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3}}},
        {"start, option off", false, {start}, {}},
        {"split over three chunks", true, {{0xC1, 0x33}, {0xF1}, {0x81, 0x66}}, {{0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3}}},
        {"length byte", true, {start, rpm}, {{0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3}, answerRpm}},
        // a functional frame to another address is passed over; the frame after it counts
        {"to 0x10", true, {Join({toOther, start})}, {{0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3}}},
        // with the option off it starts no frame, and the rest of its chunk goes with it
        {"to 0x10, option off", false, {Join({toOther, BuildFrame(0x10, 0xF1, Bytes{0x81}.data(), 1, FrameForm::Short)})}, {}},
        {"physical to 0x33", true, {BuildFrame(0x33, 0xF1, Bytes{0x81}.data(), 1, FrameForm::Short)}, {}},
        {"physical after functional", true, {start, present}, {{0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3}, {0x81, 0xF1, 0x10, 0x7E, 0x00}}},
    };
    for (const Row& row : rows) {
        ObdBench b(V::B7, row.obd);
        for (const Bytes& chunk : row.chunks) b.h.Chunk(chunk, 5);
        EXPECT_EQ(b.h.Replies(), row.replies) << row.what;
    }
}

// Two console states: the engine standing with the values at start, and the engine running.
struct ConsoleState {
    std::map<Mirror, std::string> mirrors;
    std::vector<std::string> ticked;
    std::optional<milliseconds> run;
};

const ConsoleState kStanding = {{}, {}, std::nullopt};
const ConsoleState kRunning = {{{Mirror::Speed, "87"},
                                {Mirror::Coolant, "91"},
                                {Mirror::EngineSpeed, "2450"},
                                {Mirror::Throttle, "23"},
                                {Mirror::FuelFlow, "3.7"},
                                {Mirror::AirFlow, "123.4"},
                                {Mirror::Voltage, "14.1"}},
                               {"0102", "0300"},
                               milliseconds(125400)};

TEST(ObdCurrentDataTest, EveryPidAtTwoConsoleStates) {
    struct Row {
        std::uint8_t pid;
        Bytes standing, running;  // data after 41 PID
    };
    const Row rows[] = {
        {0x00, {0xA8, 0x19, 0x80, 0x13}, {0xA8, 0x19, 0x80, 0x13}},
        {0x01, {0x00, 0x00, 0x00, 0x00}, {0x82, 0x00, 0x00, 0x00}},  // MIL on, two codes
        {0x03, {0x00, 0x00}, {0x02, 0x00}},                          // closed loop
        {0x05, {0x3C}, {0x83}},                                      // 20 and 91 °C, +40
        {0x0C, {0x00, 0x00}, {0x26, 0x48}},                          // 2450 rpm × 4
        {0x0D, {0x00}, {0x57}},                                      // 87 km/h
        {0x10, {0x00, 0x00}, {0x0D, 0x64}},                          // 123.4 kg/h = 34.28 g/s
        {0x11, {0x00}, {0x3B}},                                      // 23 % × 2.55 = 58.65
        {0x1C, {0x06}, {0x06}},                                      // EOBD
        {0x1F, {0x00, 0x00}, {0x00, 0x7D}},                          // 125 s
        {0x20, {0x00, 0x00, 0x00, 0x01}, {0x00, 0x00, 0x00, 0x01}},  // 40 only
        {0x40, {0x40, 0x00, 0x00, 0x04}, {0x40, 0x00, 0x00, 0x04}},  // 42 and 5E
        {0x42, {0x2C, 0x88}, {0x37, 0x14}},                          // 11.4 and 14.1 V × 1000
        {0x5E, {0x00, 0x00}, {0x00, 0x4A}},                          // 3.7 l/h × 20
    };
    ASSERT_EQ(std::size(rows), ObdCurrentDataPids().size());
    for (const auto* state : {&kStanding, &kRunning}) {
        ObdBench b(V::b17);
        for (const auto& [mirror, text] : state->mirrors) b.h.env.mirrors[mirror] = text;
        for (const std::string& code : state->ticked) b.Tick(code);
        b.h.env.engineRunTime = state->run;
        for (const Row& row : rows) {
            Bytes data = {0x41, row.pid};
            const Bytes& field = state == &kStanding ? row.standing : row.running;
            data.insert(data.end(), field.begin(), field.end());
            EXPECT_EQ(b.Ask({0x01, row.pid}), Frames{data}) << std::hex << int(row.pid);
            // the same at the physical address, and bytes after the PID ignored
            EXPECT_EQ(b.Ask({0x01, row.pid, 0x0D}, 0x10), Frames{data}) << std::hex << int(row.pid);
        }
    }
}

TEST(ObdCurrentDataTest, RoundingClampingAndFluctuation) {
    struct Row {
        std::uint8_t pid;
        Mirror mirror;
        const char* text;
        Bytes field;
    };
    const Row rows[] = {
        {0x05, Mirror::Coolant, "-50", {0x00}},            // below the field
        {0x05, Mirror::Coolant, "250", {0xFF}},
        {0x0C, Mirror::EngineSpeed, "16383", {0xFF, 0xFC}},
        {0x0C, Mirror::EngineSpeed, "20000", {0xFF, 0xFF}},
        {0x0D, Mirror::Speed, "300", {0xFF}},
        {0x11, Mirror::Throttle, "10", {0x1A}},            // 25.5 to the even 26
        {0x11, Mirror::Throttle, "30", {0x4C}},            // 76.5 to the even 76
        {0x11, Mirror::Throttle, "100", {0xFF}},
        {0x10, Mirror::AirFlow, "2359.2", {0xFF, 0xFD}},   // 655.33 g/s
        {0x10, Mirror::AirFlow, "3000.0", {0xFF, 0xFF}},
        {0x42, Mirror::Voltage, "70.0", {0xFF, 0xFF}},
        {0x5E, Mirror::FuelFlow, "0.1", {0x00, 0x02}},
    };
    for (const Row& row : rows) {
        ObdBench b(V::B7);
        b.h.env.mirrors[row.mirror] = row.text;
        Bytes data = {0x41, row.pid};
        data.insert(data.end(), row.field.begin(), row.field.end());
        EXPECT_EQ(b.Ask({0x01, row.pid}), Frames{data}) << row.text;
    }

    // Speed and fuel rate wander with the deviations, as in the live-data blocks.
    ObdBench b(V::B7);
    b.h.SetDeviations(3, -2, 5);
    b.h.env.mirrors[Mirror::Speed] = "100";
    b.h.env.mirrors[Mirror::FuelFlow] = "5.0";
    EXPECT_EQ(b.Ask({0x01, 0x0D}), (Frames{{0x41, 0x0D, 0x67}}));        // 103 km/h
    EXPECT_EQ(b.Ask({0x01, 0x5E}), (Frames{{0x41, 0x5E, 0x00, 0x62}}));  // 4.9 l/h × 20

    // Run time in whole seconds, up to the field's end; codes counted up to 127.
    const std::pair<long long, Bytes> runs[] = {
        {999, {0x00, 0x00}}, {1000, {0x00, 0x01}}, {65535999, {0xFF, 0xFF}}, {90000000, {0xFF, 0xFF}}};
    for (const auto& [ms, field] : runs) {
        b.h.env.engineRunTime = milliseconds(ms);
        EXPECT_EQ(b.Ask({0x01, 0x1F}), (Frames{{0x41, 0x1F, field[0], field[1]}})) << ms;
    }
    b.h.env.troubleCodes.assign(200, {"0102 x", true});
    EXPECT_EQ(b.Ask({0x01, 0x01}), (Frames{{0x41, 0x01, 0xFF, 0x00, 0x00, 0x00}}));
}

TEST(ObdCurrentDataTest, MirrorThatIsNoNumberAbandonsTheReply) {
    ObdBench b(V::B7);
    b.Functional({0x81});
    b.h.env.mirrors[Mirror::EngineSpeed] = "abc";
    EXPECT_THROW(b.Functional({0x01, 0x0C}), ConversionError);
    EXPECT_TRUE(b.h.Replies().empty());
    EXPECT_EQ(b.Ask({0x01, 0x05}).size(), 1u);  // other PIDs go on
}

TEST(ObdServicesTest, UnsupportedPidsAndModesAreNotAnswered) {
    const Bytes requests[] = {
        {0x01},  // no PID
        {0x01, 0x02}, {0x01, 0x04}, {0x01, 0x0E}, {0x01, 0x21}, {0x01, 0x41}, {0x01, 0x60}, {0x01, 0x80},
        {0x01, 0xFF}, {0x02, 0x00, 0x00}, {0x05, 0x00}, {0x06, 0x00}, {0x08, 0x00}, {0x09}, {0x09, 0x05},
        {0x09, 0x06}, {0x09, 0x0A}, {0x0A}, {0x00},
    };
    for (const std::uint8_t target : {0x33, 0x10}) {
        ObdBench b(V::B7);
        for (const Bytes& request : requests) {
            EXPECT_TRUE(b.Ask(request, target).empty()) << std::hex << int(request[0]) << " at " << int(target);
        }
    }
}

TEST(ObdServicesTest, AnsweredAtThePhysicalAddressesOfTheType) {
    struct Row {
        V variant;
        std::uint8_t target;
        bool answered;
    };
    const Row rows[] = {
        {V::B7, 0x10, true}, {V::B7, 0x11, true}, {V::BMP, 0x11, true}, {V::BMP, 0x10, false},
        {V::Ja5, 0x10, true}, {V::Ja5, 0x11, false}, {V::b17, 0x10, true}, {V::b17, 0x12, false},
    };
    for (const Row& row : rows) {
        ObdBench b(row.variant);
        b.Functional({0x81});
        const Frames frames = b.Physical({0x01, 0x1C}, row.target);
        if (!row.answered) {
            EXPECT_TRUE(frames.empty()) << int(row.target);
            continue;
        }
        const Bytes reply = {0x83, 0xF1, row.target, 0x41, 0x1C, 0x06};
        EXPECT_EQ(frames, Frames{Join({reply, {FrameChecksum(reply.data(), reply.size())}})});
    }
}

TEST(ObdTroubleCodesTest, StoredCodesThreeToAFrame) {
    struct Row {
        int ticked;  // the first items of the list
        std::size_t frames;
        Bytes first, last;
    };
    const Row rows[] = {
        {0, 1, {0x43, 0, 0, 0, 0, 0, 0}, {0x43, 0, 0, 0, 0, 0, 0}},
        {1, 1, {0x43, 0x01, 0x02, 0, 0, 0, 0}, {0x43, 0x01, 0x02, 0, 0, 0, 0}},
        {3, 1, {0x43, 0x01, 0x02, 0x01, 0x03, 0x01, 0x12}, {0x43, 0x01, 0x02, 0x01, 0x03, 0x01, 0x12}},
        {4, 2, {0x43, 0x01, 0x02, 0x01, 0x03, 0x01, 0x12}, {0x43, 0x01, 0x13, 0, 0, 0, 0}},
        {113, 38, {0x43, 0x01, 0x02, 0x01, 0x03, 0x01, 0x12}, {0x43, 0x16, 0x40, 0x16, 0x89, 0, 0}},
    };
    for (const Row& row : rows) {
        ObdBench b(V::B7);
        for (int i = 0; i < row.ticked; ++i) b.h.env.troubleCodes[static_cast<std::size_t>(i)].second = true;
        const Frames replies = b.Ask({0x03});
        ASSERT_EQ(replies.size(), row.frames) << row.ticked;
        EXPECT_EQ(replies.front(), row.first) << row.ticked;
        EXPECT_EQ(replies.back(), row.last) << row.ticked;
    }
    // list order, and a duplicate code twice
    ObdBench b(V::B7);
    b.Tick("1689");
    b.Tick("0601", 2);
    b.Tick("0300");
    EXPECT_EQ(b.Ask({0x03}), (Frames{{0x43, 0x03, 0x00, 0x06, 0x01, 0x06, 0x01}, {0x43, 0x16, 0x89, 0, 0, 0, 0}}));
    // an item that is no code abandons the whole answer
    b.h.env.troubleCodes.push_back({"01G2 x", true});
    EXPECT_THROW(b.Functional({0x03}), ConversionError);
    EXPECT_TRUE(b.h.Replies().empty());
}

TEST(ObdTroubleCodesTest, ClearEmptiesTheListAndLightsTheClearLamps) {
    for (const std::uint8_t target : {0x33, 0x11}) {
        ObdBench b(V::B7);
        b.Tick("0102");
        b.Tick("0300");
        EXPECT_EQ(b.Ask({0x04}, target, target == 0x33 ? 0x10 : target), Frames{{0x44}});
        for (const auto& item : b.h.env.troubleCodes) EXPECT_FALSE(item.second) << item.first;
        EXPECT_TRUE(b.h.env.LampOn(Lamp::UiLED3));
        EXPECT_TRUE(b.h.env.LampOn(Lamp::UiLED5));
        EXPECT_FALSE(b.h.env.LampOn(Lamp::UiLED4));
        EXPECT_EQ(b.h.env.resetTimerStarts, 1);
        EXPECT_EQ(b.Ask({0x03}), (Frames{{0x43, 0, 0, 0, 0, 0, 0}}));
        EXPECT_EQ(b.Ask({0x01, 0x01}), (Frames{{0x41, 0x01, 0x00, 0x00, 0x00, 0x00}}));
    }
    ObdBench b(V::B7);
    b.Functional({0x81});
    EXPECT_EQ(b.Functional({0x04}), (Frames{{0x81, 0xF1, 0x10, 0x44, 0xC6}}));
}

TEST(ObdTroubleCodesTest, NoPendingCodes) {
    ObdBench b(V::B7);
    b.Tick("0102");
    EXPECT_EQ(b.Ask({0x07}), (Frames{{0x47, 0, 0, 0, 0, 0, 0}}));
}

// 49 PID n followed by four bytes, for n = 1 …
Frames Numbered(std::uint8_t pid, const std::string& bytes) {
    Frames frames;
    for (std::size_t at = 0; at < bytes.size(); at += 4) {
        Bytes frame = {0x49, pid, static_cast<std::uint8_t>(at / 4 + 1)};
        for (std::size_t i = at; i < at + 4; ++i) frame.push_back(static_cast<std::uint8_t>(bytes[i]));
        frames.push_back(frame);
    }
    return frames;
}

TEST(ObdVehicleInformationTest, VinAndCalibrationId) {
    using namespace std::string_literals;
    struct Row {
        const char* what;
        std::string vin, rom;
        Frames vinFrames, calibrationFrames;
    };
    const Row rows[] = {
        {"19 characters", "XTA2110498765432109", "B104CD21",
         Numbered(0x02, "\0\0\0XTA21104987654321"s), Numbered(0x04, "B104CD21\0\0\0\0\0\0\0\0"s)},
        {"short", "WAUZZZ", "", Numbered(0x02, "\0\0\0\0\0\0\0\0\0\0\0\0\0\0WAUZZZ"s), Numbered(0x04, std::string(16, '\0'))},
        {"Cyrillic", "ХТА21104", "ПЗУ-0123456789ABCDEF",
         Numbered(0x02, "\0\0\0\0\0\0\0\0\0\0\0\0???21104"s), Numbered(0x04, "?\?\?-0123456789AB"s)},
        {"empty", "", "B404CD21", Numbered(0x02, std::string(20, '\0')), Numbered(0x04, "B404CD21\0\0\0\0\0\0\0\0"s)},
    };
    for (const Row& row : rows) {
        ObdBench b(V::b17);
        b.h.env.idents[IdentField::Vin] = row.vin;
        b.h.env.idents[IdentField::RomVersion] = row.rom;
        EXPECT_EQ(b.Ask({0x09, 0x00}), (Frames{{0x49, 0x00, 0xF0, 0x00, 0x00, 0x00}})) << row.what;
        EXPECT_EQ(b.Ask({0x09, 0x01}), (Frames{{0x49, 0x01, 0x05}})) << row.what;
        EXPECT_EQ(b.Ask({0x09, 0x02}), row.vinFrames) << row.what;
        EXPECT_EQ(b.Ask({0x09, 0x03}), (Frames{{0x49, 0x03, 0x04}})) << row.what;
        EXPECT_EQ(b.Ask({0x09, 0x04}), row.calibrationFrames) << row.what;
    }
}

TEST(ObdOptionTest, OffAnswersNothingAndLeavesTheManufacturerServicesAlone) {
    const Bytes obdRequests[] = {{0x01, 0x00}, {0x01, 0x0C}, {0x03}, {0x04}, {0x07}, {0x09, 0x02}, {0x09, 0x04}};
    for (const V variant : {V::Ja5, V::B1, V::Ja7, V::B7, V::BMP, V::b17}) {
        ObdBench off(variant, false);
        ObdBench on(variant, true);
        off.Tick("0102");
        on.Tick("0102");
        const std::uint8_t own = variant == V::BMP ? 0x11 : 0x10;
        for (ObdBench* b : {&off, &on}) b->Physical({0x81}, own);
        for (const Bytes& request : obdRequests) {
            EXPECT_TRUE(off.Physical(request, own).empty()) << static_cast<int>(variant);
            EXPECT_TRUE(off.Functional(request).empty()) << static_cast<int>(variant);
        }
        EXPECT_TRUE(off.Functional({0x81}).empty());
        EXPECT_TRUE(off.h.env.troubleCodes[0].second);  // 04 cleared nothing
        // the manufacturer services give the same bytes with the option on
        for (const Bytes& request : {Bytes{0x21, 0x01}, Bytes{0x1A, 0x9A}, Bytes{0x18}, Bytes{0x3E}, Bytes{0x82}}) {
            EXPECT_EQ(on.Physical(request, own), off.Physical(request, own)) << static_cast<int>(variant);
        }
    }
}

}  // namespace
