#include <numeric>

#include "support/EmulatorHarness.h"

using V = EcuVariant;

// The same request answered by a compact and by a real controller of each type: the data
// are the same, only the header of the positive 21 replies differs. That every other reply
// is framed alike either way the session, actuator, identification and trouble-code tables
// prove, each framing every other row as a real controller does.
TEST(RealFraming, LiveDataRepliesTakeTheLongHeaderForEveryType) {
    // The type, the identifier after 21, the real frame's first bytes (format byte, target,
    // source, length byte, first data byte), its data bytes.
    const std::tuple<V, std::uint8_t, std::string, std::size_t> rows[] = {
        {V::Ja5, 0x01, "80 F1 10 22 61", 34}, {V::B1, 0x01, "80 F1 10 24 61", 36},
        {V::Ja7, 0x01, "80 F1 10 26 61", 38},  // 43 bytes in all: how a desktop tester tells a Январь 7
        {V::B7, 0x01, "80 F1 10 4A 61", 74}, {V::BMP, 0x01, "80 F1 11 26 61", 38},
        {V::b17, 0x01, "80 F1 10 3C 61", 60},
        {V::Ja5, 0x02, "80 F1 10 1A 61", 26},  // 21 02 has the long header already; 21 03 gets it too
        {V::B1, 0x03, "80 F1 10 0C 61", 12}, {V::B7, 0x03, "80 F1 10 12 61", 18},
        {V::b17, 0x03, "83 F1 10 7F", 3},  // a refusal is no positive reply: it keeps the short header
    };
    EmulatorHarness h;
    for (const auto& [variant, identifier, head, dataBytes] : rows) {
        SCOPED_TRACE(testing::Message() << "type " << static_cast<int>(variant) << " 21 " << int(identifier));
        h.env.variant = variant;
        h.env.framing = ReplyFraming::Compact;
        const Bytes compact = h.Ask({0x21, identifier});
        h.env.framing = ReplyFraming::Real;
        const Bytes real = h.Ask({0x21, identifier});
        EXPECT_EQ(HexText(real).substr(0, head.size()), head);
        EXPECT_EQ(real.size(), dataBytes + head.size() / 3 + 1);  // header, data, checksum
        EXPECT_EQ(Data(real), Data(compact));
        EXPECT_EQ(std::accumulate(real.begin(), real.end() - 1, 0u) % 256, real.back());
    }
}
