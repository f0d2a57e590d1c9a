#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "common/HexText.h"
#include "support/EmulatorHarness.h"
#include "protocol/Iso9141Frame.h"
#include "emulator/TroubleCodeList.h"

namespace {

using V = EcuVariant;
using TimePoint = EmulatorHarness::TimePoint;
using std::chrono::milliseconds;

// An emulator with slow init as a test asks for it, driven on the harness's clock: bytes
// arrive at given moments, and the emulator is called back at the moments it asks for.
struct SlowInitBench {
    SlowInitBench(V variant, const char* protocols, bool ownAddress) : h(variant) {
        h.emulator.Obd().Set(variant, true);
        h.emulator.SetObdProtocols(*ObdProtocols::Parse(protocols));
        h.emulator.SlowInit().Set(variant, ownAddress);
        for (const std::string& item : TroubleCodeList()) h.env.troubleCodes.push_back({item, false});
    }

    // Runs the call-backs due until `t`, then the bytes arrive at `t`.
    void ArriveAt(TimePoint t, const Bytes& bytes) {
        h.RunUntil(t);
        h.env.Arrive(bytes);
        h.emulator.SerComm1RxChar(h.env.Waiting());
    }
    // The slow bytes written since the last call, each with its moment from `from`.
    std::vector<std::pair<int, std::uint8_t>> Timed(TimePoint from) {
        std::vector<std::pair<int, std::uint8_t>> bytes;
        for (const auto& [b, at] : h.env.timed) {
            bytes.push_back({static_cast<int>((at - from) / milliseconds(1)), b.at(0)});
        }
        h.env.timed.clear();
        return bytes;
    }
    // The address after 400 ms of silence, and the tester's inverted key byte 30 ms after the
    // second key byte; true when the link opened with the inverted address.
    bool Init(std::uint8_t address, std::uint8_t answer) {
        const TimePoint start = h.now + milliseconds(400);
        ArriveAt(start, {address});
        h.RunUntil(start + milliseconds(60));
        const auto keys = Timed(start);
        if (keys.size() != 3) return false;
        const TimePoint kb2 = start + milliseconds(keys[2].first);
        ArriveAt(kb2 + milliseconds(30), {answer});
        const auto inverted = Timed(kb2 + milliseconds(30));
        return inverted.size() == 1 && inverted[0].second == static_cast<std::uint8_t>(~address);
    }
    // An ISO 9141-2 request, byte by byte 5 ms apart from `afterMs` on; the frames written
    // once it has ended.
    std::vector<Bytes> Iso9141(const Bytes& data, int afterMs = 100) {
        TimePoint at = h.now + milliseconds(afterMs);
        for (const std::uint8_t b : BuildIso9141Request(data.data(), data.size())) {
            ArriveAt(at, {b});
            at += milliseconds(5);
        }
        h.RunUntil(at + milliseconds(50));
        return h.Replies();
    }

    EmulatorHarness h;
};

TEST(SlowInitTest, KeyBytesAtTheirMomentsThenTheInvertedAddress) {
    // what, type, OBD-II protocols, slow init at its own address, the address, the key bytes (ms from
    // the address byte), the tester's inverted key byte, whether the link opened
    using Keys = std::vector<std::pair<int, std::uint8_t>>;
    const std::tuple<const char*, V, const char*, bool, std::uint8_t, Keys, std::uint8_t, bool> rows[] = {
        // ISO 9141-2 opened with F7: the requests' test; ISO 14230-4 alone: the program scenario's slow init
        {"both: KWP2000 answers", V::B7, "slow,iso9141", false, 0x33, {{100, 0x55}, {110, 0xE9}, {120, 0x8F}}, 0x70, true},
        {"M7.9.7 at 0x10", V::B7, "fast", true, 0x10, {{100, 0x55}, {110, 0xEF}, {120, 0x8F}}, 0x70, true},
        {"M7.9.7 at 0x11", V::B7, "fast", true, 0x11, {{100, 0x55}, {110, 0x6B}, {120, 0x8F}}, 0x70, true},
        {"a wrong inverted key byte", V::B7, "iso9141", false, 0x33, {{100, 0x55}, {110, 0x08}, {120, 0x08}}, 0x70, false},
        {"MP7.0 does not answer at 0x10", V::BMP, "fast", true, 0x10, {}, 0x70, false},
        {"0x33 with fast init only", V::B7, "fast", true, 0x33, {}, 0xF7, false},
        {"own address with the option off", V::Ja5, "fast", false, 0x10, {}, 0x70, false},
    };
    for (const auto& [what, variant, protocols, own, address, keys, answer, opened] : rows) {
        SlowInitBench b(variant, protocols, own);
        const TimePoint start = b.h.now + milliseconds(400);
        b.ArriveAt(start, {address});
        b.h.RunUntil(start + milliseconds(200));
        EXPECT_EQ(b.Timed(start), keys) << what;
        b.ArriveAt(start + milliseconds(150), {answer});
        const Keys inverted = opened ? Keys{{180, static_cast<std::uint8_t>(~address)}} : Keys{};
        EXPECT_EQ(b.Timed(start), inverted) << what;
        EXPECT_TRUE(b.h.Replies().empty()) << what;
    }
}

TEST(SlowInitTest, Iso9141RequestsGetObdAnswersNoEarlierThanP2Min) {
    SlowInitBench b(V::B7, "iso9141", false);
    b.h.env.mirrors[Mirror::EngineSpeed] = "2450";
    b.h.env.troubleCodes[0].second = true;
    ASSERT_TRUE(b.Init(0x33, 0xF7));
    const std::pair<const char*, const char*> rows[] = {  // request, reply frames
        {"01 0C", "48 6B 10 41 0C 26 48 7E"},
        {"01 00", "48 6B 10 41 00 A8 19 80 13 58"},
        {"03", "48 6B 10 43 01 02 00 00 00 00 09"},
        {"09 02", "48 6B 10 49 02 01 00 00 00 58 67 | 48 6B 10 49 02 02 54 41 32 31 08 | "
                  "48 6B 10 49 02 03 31 30 34 39 DF | 48 6B 10 49 02 04 38 37 36 35 EC | "
                  "48 6B 10 49 02 05 34 33 32 31 DD"},
        {"01 02", ""},  // unsupported: no answer, as on KWP2000
        {"3E", ""},     // no KWP2000 service on this link
    };
    for (const auto& [request, replies] : rows) EXPECT_EQ(HexFrames(b.Iso9141(Hex(request))), replies) << request;
    ASSERT_FALSE(b.h.env.answeringP2Min.empty());
    EXPECT_EQ(b.h.env.answeringP2Min.back(), kIso9141P2Min);
}

TEST(SlowInitTest, LinksEndAfterP3AndFastInitStaysAsItIs) {
    SlowInitBench b(V::B7, "iso9141", false);
    ASSERT_TRUE(b.Init(0x33, 0xF7));
    EXPECT_EQ(b.Iso9141({0x01, 0x0D}, 4900).size(), 1u);
    EXPECT_TRUE(b.Iso9141({0x01, 0x0D}, 5100).empty()) << "P3max passed: the link is down";
    ASSERT_TRUE(b.Init(0x33, 0xF7));
    EXPECT_EQ(b.Iso9141({0x01, 0x0D}).size(), 1u) << "a new init opens it again";

    // ISO 14230-4 after a slow init takes functional frames even with fast init off.
    SlowInitBench kwp(V::B7, "slow", false);
    const Bytes start = {0x81}, speed = {0x01, 0x0D};
    kwp.h.Chunk(Join({{0x00}, BuildFunctionalFrame(0x33, 0xF1, start.data(), 1)}), 100);
    kwp.h.Chunk(BuildFunctionalFrame(0x33, 0xF1, start.data(), 1), 30);
    EXPECT_TRUE(kwp.h.Replies().empty()) << "fast init is off";
    ASSERT_TRUE(kwp.Init(0x33, 0x70));
    kwp.h.Chunk(BuildFunctionalFrame(0x33, 0xF1, speed.data(), speed.size()), 100);
    EXPECT_EQ(kwp.h.Replies(), (std::vector<Bytes>{{0x83, 0xF1, 0x10, 0x41, 0x0D, 0x00, 0xD2}}));
}

}  // namespace
