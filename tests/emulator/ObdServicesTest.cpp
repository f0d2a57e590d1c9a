#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "emulator/ConversionError.h"
#include "support/EmulatorHarness.h"
#include "protocol/ObdPids.h"

namespace {

using V = EcuVariant;
using std::chrono::milliseconds;

// An emulator whose selected type has the OBD-II option as given, with the console's list
// of trouble codes. Every answer comes back as hex text, frame after frame.
struct ObdBench {
    explicit ObdBench(V variant = V::B7, bool obd = true) : h(variant) {
        h.emulator.Obd().Set(variant, obd);
        FillTroubleCodes(h.env, {});
    }

    // Every frame written in answer to a request at `target`, a functional one at 0x33.
    std::vector<Bytes> Exchange(const Bytes& data, std::uint8_t target) {
        h.Chunk(target == 0x33 ? BuildFunctionalFrame(target, 0xF1, data.data(), data.size())
                               : BuildFrame(target, 0xF1, data.data(), data.size(), FrameForm::Short), 100);
        return h.Replies();
    }
    std::string Frames(const Bytes& data, std::uint8_t target = 0x33) { return HexFrames(Exchange(data, target)); }

    // The data bytes of every reply frame to a request at `target` (0x33: functional), the
    // session started there first. Each frame must be a short frame from `from` to F1 that
    // a tester takes: at most 7 data bytes, the checksum right.
    std::string Ask(const Bytes& data, std::uint8_t target = 0x33, std::uint8_t from = 0x10) {
        if (!h.emulator.CommunicationActive()) Exchange({0x81}, target);
        std::vector<Bytes> replies;
        for (const Bytes& frame : Exchange(data, target)) {
            EXPECT_TRUE(frame.size() <= 11 && (frame[0] & 0xC0) == 0x80 && frame[1] == 0xF1 && frame[2] == from &&
                        FrameChecksum(frame.data(), frame.size() - 1) == frame.back()) << HexText(frame);
            replies.push_back(Data(frame));
        }
        return HexFrames(replies);
    }

    EmulatorHarness h;
};

// A session started at 0x33 is the session of the type's own addresses: the manufacturer
// services answer there, and a functional stop ends it; a physical StopCommunication leaves
// communication on, as always.
TEST(ObdSessionTest, FunctionalStartPresentAndStop) {
    using Exchange = std::vector<std::tuple<Bytes, std::uint8_t, const char*>>;  // request, target, frames
    const char* const kB7Keys = "83 F1 10 C1 EF 8F C3";  // the type's own keys, as at 0x10
    const Bytes kStart = {0x81}, kPresent = {0x3E}, kStop = {0x82}, kSpeed = {0x01, 0x0D};
    const std::pair<V, Exchange> rows[] = {
        {V::B7,
         {{kPresent, 0x33, ""}, {kSpeed, 0x33, ""}, {kStop, 0x33, ""},  // nothing before StartCommunication
          {kStart, 0x33, kB7Keys}, {kPresent, 0x33, "81 F1 10 7E 00"}, {{0x3E, 0x01}, 0x33, "81 F1 10 7E 00"},
          {kSpeed, 0x33, "83 F1 10 41 0D 00 D2"}, {{0x21, 0x01}, 0x33, ""}, {{0x1A, 0x90}, 0x33, ""},
          {kPresent, 0x11, "81 F1 11 7E 01"}, {{0x1A, 0x90}, 0x10, "95 F1 10 5A 90 58 54 41 32 31 31 30 34 39 38"
                                                                " 37 36 35 34 33 32 31 30 39 AB"},
          {kStop, 0x33, "81 F1 10 C2 44"}, {kPresent, 0x33, ""}, {kSpeed, 0x33, ""}, {kPresent, 0x10, ""},
          {kStart, 0x10, "83 F1 10 C1 EF 8F C3"}, {kStop, 0x10, "81 F1 10 C2 44"}, {kPresent, 0x33, "81 F1 10 7E 00"},
          {kStop, 0x33, "81 F1 10 C2 44"}, {kStart, 0x33, kB7Keys}}},
        {V::BMP,
         {{kStart, 0x33, "83 F1 11 C1 6B 8F 40"}, {kPresent, 0x33, "81 F1 11 7E 01"},
          {kSpeed, 0x33, "83 F1 11 41 0D 00 D3"}}},
    };
    for (const auto& [variant, exchange] : rows) {
        ObdBench b(variant);
        for (std::size_t i = 0; i < exchange.size(); ++i) {
            const auto& [request, target, frames] = exchange[i];
            EXPECT_EQ(b.Frames(request, target), frames) << static_cast<int>(variant) << " step " << i;
        }
    }
}

// How functional frames are sized and split the framing and link observer tables show; here,
// what becomes of them with the option on and off.
TEST(ObdReceptionTest, FunctionalFramesAreTakenOnlyWithTheOption) {
    const std::tuple<const char*, bool, const char*> rows[] = {
        // a functional frame to another address is passed over; the frame after it counts
        {"C1 10 F1 81 43 C1 33 F1 81 66", true, "83 F1 10 C1 EF 8F C3"},
        // with the option off it starts no frame, and the rest of its chunk goes with it
        {"C1 10 F1 81 43 81 10 F1 81 03", false, ""},
        {"81 33 F1 81 26", true, ""},  // physical to 0x33
    };
    for (const auto& [chunk, obd, replies] : rows) {
        ObdBench b(V::B7, obd);
        b.h.Chunk(Hex(chunk), 5);
        EXPECT_EQ(HexFrames(b.h.Replies()), replies) << chunk << (obd ? ", option on" : ", option off");
    }
}

TEST(ObdCurrentDataTest, EveryPidAtTwoConsoleStates) {
    // The engine standing with the console's values at start, and the engine running: the data
    // after 41 PID.
    const std::tuple<std::uint8_t, const char*, const char*> rows[] = {
        {0x00, "A8 19 80 13", "A8 19 80 13"},
        {0x01, "00 00 00 00", "82 00 00 00"},  // MIL on, two codes
        {0x03, "00 00", "02 00"},              // closed loop
        {0x05, "3C", "83"},                    // 20 and 91 °C, +40
        {0x0C, "00 00", "26 48"},              // 2450 rpm × 4
        {0x0D, "00", "57"},                    // 87 km/h
        {0x10, "00 00", "0D 64"},              // 123.4 kg/h = 34.28 g/s
        {0x11, "00", "3B"},                    // 23 % × 2.55 = 58.65
        {0x1C, "06", "06"},                    // EOBD
        {0x1F, "00 00", "00 7D"},              // 125 s
        {0x20, "00 00 00 01", "00 00 00 01"},  // 40 only
        {0x40, "40 00 00 04", "40 00 00 04"},  // 42 and 5E
        {0x42, "2C 88", "37 14"},              // 11.4 and 14.1 V × 1000
        {0x5E, "00 00", "00 4A"},              // 3.7 l/h × 20
    };
    ASSERT_EQ(std::size(rows), ObdCurrentDataPids().size());
    for (const bool running : {false, true}) {
        ObdBench b(V::b17);
        if (running) {
            b.h.env.mirrors = {{Mirror::Speed, "87"},     {Mirror::Coolant, "91"},     {Mirror::EngineSpeed, "2450"},
                               {Mirror::Throttle, "23"},  {Mirror::FuelFlow, "3.7"},   {Mirror::AirFlow, "123.4"},
                               {Mirror::Voltage, "14.1"}, {Mirror::Injection, "0.00"}, {Mirror::IdleValve, "0"},
                               {Mirror::IdleSpeed, "0"},  {Mirror::Consumption, "0.0"}};
            FillTroubleCodes(b.h.env, {{"0102", 1}, {"0300", 1}});
            b.h.env.engineRunTime = milliseconds(125400);
        }
        for (const auto& [pid, standing, atSpeed] : rows) {
            const std::string data = "41 " + HexText(&pid, 1) + " " + (running ? atSpeed : standing);
            EXPECT_EQ(b.Ask({0x01, pid}), data);
            // the same at the physical address, and bytes after the PID ignored
            EXPECT_EQ(b.Ask({0x01, pid, 0x0D}, 0x10), data);
        }
    }
}

TEST(ObdCurrentDataTest, RoundingClampingAndFluctuation) {
    // Coolant below and above the field; throttle 25.5 to the even 26 and 76.5 to the even 76;
    // air flow 655.33 g/s.
    const std::tuple<std::uint8_t, Mirror, const char*, const char*> rows[] = {
        {0x05, Mirror::Coolant, "-50", "41 05 00"},         {0x05, Mirror::Coolant, "250", "41 05 FF"},
        {0x0C, Mirror::EngineSpeed, "16383", "41 0C FF FC"}, {0x0C, Mirror::EngineSpeed, "20000", "41 0C FF FF"},
        {0x11, Mirror::Throttle, "10", "41 11 1A"},          {0x11, Mirror::Throttle, "30", "41 11 4C"},
        {0x10, Mirror::AirFlow, "2359.2", "41 10 FF FD"},    {0x5E, Mirror::FuelFlow, "0.1", "41 5E 00 02"},
    };
    for (const auto& [pid, mirror, text, data] : rows) {
        ObdBench b(V::B7);
        b.h.env.mirrors[mirror] = text;
        EXPECT_EQ(b.Ask({0x01, pid}), data) << text;
    }

    // Speed and fuel rate wander with the deviations, as in the live-data blocks.
    ObdBench b(V::B7);
    b.h.SetDeviations(3, -2, 5);
    b.h.env.mirrors[Mirror::Speed] = "100";
    b.h.env.mirrors[Mirror::FuelFlow] = "5.0";
    EXPECT_EQ(b.Ask({0x01, 0x0D}), "41 0D 67");     // 103 km/h
    EXPECT_EQ(b.Ask({0x01, 0x5E}), "41 5E 00 62");  // 4.9 l/h × 20

    // Run time in whole seconds, up to the field's end; codes counted up to 127.
    const std::pair<long long, const char*> runs[] = {
        {999, "41 1F 00 00"}, {1000, "41 1F 00 01"}, {65535999, "41 1F FF FF"}, {90000000, "41 1F FF FF"}};
    for (const auto& [ms, data] : runs) {
        b.h.env.engineRunTime = milliseconds(ms);
        EXPECT_EQ(b.Ask({0x01, 0x1F}), data) << ms;
    }
    b.h.env.troubleCodes.assign(200, {"0102 x", true});
    EXPECT_EQ(b.Ask({0x01, 0x01}), "41 01 FF 00 00 00");

    // A mirror that is no number abandons the reply.
    b.h.env.mirrors[Mirror::EngineSpeed] = "abc";
    EXPECT_THROW(b.Frames({0x01, 0x0C}), ConversionError);
    EXPECT_TRUE(b.h.Replies().empty());
    EXPECT_EQ(b.Ask({0x01, 0x0D}), "41 0D 67");  // other PIDs go on
}

TEST(ObdServicesTest, UnsupportedPidsAndModesAreNotAnswered) {
    const Bytes requests[] = {
        {0x01},  // no PID
        {0x01, 0x02}, {0x01, 0x0E}, {0x01, 0x21}, {0x01, 0x41}, {0x01, 0x60}, {0x01, 0xFF}, {0x02, 0x00, 0x00},
        {0x05, 0x00}, {0x08, 0x00}, {0x09}, {0x09, 0x05}, {0x09, 0x0A}, {0x0A}, {0x00},
    };
    for (const std::uint8_t target : {0x33, 0x10}) {
        ObdBench b(V::B7);
        for (const Bytes& request : requests) {
            EXPECT_EQ(b.Ask(request, target), "") << HexText(request) << " at " << int(target);
        }
    }
}

TEST(ObdServicesTest, AnsweredAtThePhysicalAddressesOfTheType) {
    // M7.9.7 at 0x11: the clearing table
    const std::tuple<V, std::uint8_t, const char*> rows[] = {
        {V::B7, 0x10, "83 F1 10 41 1C 06 E7"}, {V::BMP, 0x11, "83 F1 11 41 1C 06 E8"},
        {V::BMP, 0x10, ""}, {V::Ja5, 0x11, ""}, {V::b17, 0x12, ""}};
    for (const auto& [variant, target, frame] : rows) {
        ObdBench b(variant);
        b.Frames({0x81});
        EXPECT_EQ(b.Frames({0x01, 0x1C}, target), frame) << static_cast<int>(variant) << " at " << int(target);
    }
}

TEST(ObdTroubleCodesTest, StoredCodesThreeToAFrame) {
    const std::tuple<int, std::size_t, std::string, std::string> rows[] = {  // first items ticked, frames
        {0, 1, "43 00 00 00 00 00 00", "43 00 00 00 00 00 00"},
        {3, 1, "43 01 02 01 03 01 12", "43 01 02 01 03 01 12"},
        {4, 2, "43 01 02 01 03 01 12", "43 01 13 00 00 00 00"},
        {113, 38, "43 01 02 01 03 01 12", "43 16 40 16 89 00 00"},
    };
    for (const auto& [ticked, frames, first, last] : rows) {
        ObdBench b(V::B7);
        for (int i = 0; i < ticked; ++i) b.h.env.troubleCodes[static_cast<std::size_t>(i)].second = true;
        const std::string replies = b.Ask({0x03});
        EXPECT_EQ(replies.size(), frames * 23 - 3) << ticked;
        EXPECT_EQ(replies.substr(0, 20), first) << ticked;
        EXPECT_EQ(replies.substr(replies.size() - 20), last) << ticked;
    }
    // list order, and a duplicate code twice
    ObdBench b(V::B7);
    FillTroubleCodes(b.h.env, {{"1689", 1}, {"0601", 2}, {"0300", 1}});
    EXPECT_EQ(b.Ask({0x03}), "43 03 00 06 01 06 01 | 43 16 89 00 00 00 00");
    EXPECT_EQ(b.Ask({0x07}), "47 00 00 00 00 00 00");  // never a pending code
    // an item that is no code abandons the whole answer
    b.h.env.troubleCodes.push_back({"01G2 x", true});
    EXPECT_THROW(b.Frames({0x03}), ConversionError);
    EXPECT_TRUE(b.h.Replies().empty());
}

TEST(ObdTroubleCodesTest, ClearEmptiesTheListAndLightsTheClearLamps) {
    for (const std::uint8_t target : {0x33, 0x11}) {
        ObdBench b(V::B7);
        FillTroubleCodes(b.h.env, {{"0102", 1}, {"0300", 1}});
        EXPECT_EQ(b.Ask({0x04}, target, target == 0x33 ? 0x10 : target), "44");
        for (const auto& item : b.h.env.troubleCodes) EXPECT_FALSE(item.second) << item.first;
        EXPECT_TRUE(b.h.env.LampOn(Lamp::UiLED3));
        EXPECT_TRUE(b.h.env.LampOn(Lamp::UiLED5));
        EXPECT_FALSE(b.h.env.LampOn(Lamp::UiLED4));
        EXPECT_EQ(b.h.env.resetTimerStarts, 1);
        EXPECT_EQ(b.Ask({0x03}), "43 00 00 00 00 00 00");
    }
}

TEST(ObdVehicleInformationTest, VinAndCalibrationId) {
    // VIN, ROM version; then 09 02 and 09 04: 49 PID n and four bytes, for n = 1 …, the VIN padded
    // with zeros in front to 20 bytes, the calibration ID behind to 16, each character outside ASCII a "?"
    const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
        {"XTA2110498765432109", "B104CD21",
         "49 02 01 00 00 00 58 | 49 02 02 54 41 32 31 | 49 02 03 31 30 34 39 | 49 02 04 38 37 36 35 | "
         "49 02 05 34 33 32 31",
         "49 04 01 42 31 30 34 | 49 04 02 43 44 32 31 | 49 04 03 00 00 00 00 | 49 04 04 00 00 00 00"},
        {"ХТА21104", "ПЗУ-0123456789ABCDEF",
         "49 02 01 00 00 00 00 | 49 02 02 00 00 00 00 | 49 02 03 00 00 00 00 | 49 02 04 3F 3F 3F 32 | "
         "49 02 05 31 31 30 34",
         "49 04 01 3F 3F 3F 2D | 49 04 02 30 31 32 33 | 49 04 03 34 35 36 37 | 49 04 04 38 39 41 42"},
    };
    for (const auto& [vin, rom, vinFrames, calibrationFrames] : rows) {
        ObdBench b(V::b17);
        b.h.env.idents[IdentField::Vin] = vin;
        b.h.env.idents[IdentField::RomVersion] = rom;
        EXPECT_EQ(b.Ask({0x09, 0x00}), "49 00 F0 00 00 00") << vin;
        EXPECT_EQ(b.Ask({0x09, 0x01}), "49 01 05") << vin;
        EXPECT_EQ(b.Ask({0x09, 0x02}), vinFrames) << vin;
        EXPECT_EQ(b.Ask({0x09, 0x03}), "49 03 04") << vin;
        EXPECT_EQ(b.Ask({0x09, 0x04}), calibrationFrames) << vin;
    }
}

// Off, a type answers no OBD-II request at either address and clears nothing; its own
// services give the same bytes as with the option on.
TEST(ObdOptionTest, OffAnswersNothingAndLeavesTheManufacturerServicesAlone) {
    for (const V variant : {V::Ja5, V::B1, V::Ja7, V::B7, V::BMP, V::b17}) {
        ObdBench off(variant, false), on(variant, true);
        const std::uint8_t own = variant == V::BMP ? 0x11 : 0x10;
        EXPECT_EQ(off.Frames({0x81}), "");
        for (ObdBench* b : {&off, &on}) {
            FillTroubleCodes(b->h.env, {{"0102", 1}});
            b->Frames({0x81}, own);
        }
        for (const Bytes& request : {Bytes{0x01, 0x00}, Bytes{0x03}, Bytes{0x04}, Bytes{0x07}, Bytes{0x09, 0x02}}) {
            EXPECT_EQ(off.Frames(request, own) + off.Frames(request), "") << static_cast<int>(variant);
        }
        EXPECT_TRUE(off.h.env.troubleCodes[0].second);
        for (const Bytes& request : {Bytes{0x21, 0x01}, Bytes{0x1A, 0x9A}, Bytes{0x18}, Bytes{0x3E}, Bytes{0x82}}) {
            EXPECT_EQ(on.Frames(request, own), off.Frames(request, own)) << static_cast<int>(variant);
        }
    }
}

}  // namespace
