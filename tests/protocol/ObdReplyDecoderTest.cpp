#include <string>
#include <vector>

#include "support/HexBytes.h"
#include "protocol/FrameMeaning.h"
#include "protocol/ObdReplyDecoder.h"

namespace {

using Frames = std::vector<std::vector<std::uint8_t>>;

std::string Lines(const ObdReplyDecoder::Result& result) {
    std::string text;
    for (const auto& item : result.items) {
        text += item.name + " = " + item.value + (item.unit.empty() ? "" : " " + item.unit) + "\n";
    }
    return text + (result.error.empty() ? "" : "error: " + result.error + "\n");
}

TEST(ObdReplyDecoderTest, NamesAndUnitsOfTheReplies) {
    const std::pair<Frames, std::string> rows[] = {  // data bytes of the frames, the lines read
        {{{0x41, 0x00, 0xA8, 0x19, 0x80, 0x13}}, "PIDs supported 01-20 = 01 03 05 0C 0D 10 11 1C 1F 20\n"},
        {{{0x41, 0x01, 0x82, 0x00, 0x00, 0x00}}, "monitor status = MIL on, 2 codes\n"},
        {{{0x41, 0x01, 0x00, 0x00, 0x00, 0x00}}, "monitor status = MIL off, 0 codes\n"},
        {{{0x41, 0x03, 0x02, 0x00}}, "fuel system status = closed loop\n"},
        {{{0x41, 0x05, 0x00}}, "coolant temperature = -40 °C\n"},
        {{{0x41, 0x0C, 0x26, 0x48}}, "engine speed = 2450 rpm\n"},
        {{{0x41, 0x10, 0x0D, 0x64}}, "air flow = 34.28 g/s\n"},
        {{{0x41, 0x11, 0xFF}}, "throttle position = 100 %\n"},
        {{{0x41, 0x1C, 0x06}}, "OBD standard = EOBD\n"},
        {{{0x41, 0x1F, 0x01, 0x00}}, "run time since engine start = 256 s\n"},
        {{{0x41, 0x42, 0x37, 0x14}}, "control module voltage = 14.1 V\n"},
        {{{0x41, 0x5E, 0x00, 0x4A}}, "engine fuel rate = 3.7 l/h\n"},
        {{{0x49, 0x00, 0xF0, 0x00, 0x00, 0x00}}, "info types supported = 01 02 03 04\n"},
        {{{0x49, 0x01, 0x05}, {0x49, 0x03, 0x04}}, "VIN messages = 5\ncalibration ID messages = 4\n"},
        // frames out of order are put back in order by their numbers
        {{{0x49, 0x02, 0x02, 'B', 'C', 'D', 'E'}, {0x49, 0x02, 0x01, 0, 0, 0, 'A'}}, "VIN = ABCDE\n"},
        {{{0x43, 0x01, 0x02, 0x03, 0x00, 0x16, 0x89}, {0x43, 0x06, 0x01, 0, 0, 0, 0}},
         "stored codes = P0102 P0300 P1689 P0601\n"},
        {{{0x43, 0, 0, 0, 0, 0, 0}}, "stored codes = none\n"},
        {{{0x61, 0x01, 0x00}, {0x7E}}, ""},  // other services are passed over
        {{{0x41, 0x0C, 0x26}}, "error: PID 0C with 1 data bytes\n"},
        {{{0x41, 0x0E, 0x00}}, "error: PID 0E is not known\n"},
        {{{0x41}}, "error: 41 without a PID\n"},
        {{{0x49, 0x02}}, "error: 49 without a PID and data\n"},
    };
    for (const auto& [frames, lines] : rows) EXPECT_EQ(Lines(ObdReplyDecoder::Decode(frames)), lines);
}

// The monitor reads the PIDs from the same table as the tester.
TEST(ObdReplyDecoderTest, MonitorNamesThePidsFromTheSameTable) {
    const std::pair<const char*, std::string> rows[] = {
        {"C2 33 F1 01 0C F3", "OBD ShowCurrentData PID 0C engine speed | functional fmt C2, to 33, from F1, len 2"},
        {"84 F1 10 41 42 37 14 53",
         "OBD ShowCurrentData positive PID 42 control module voltage: 14.1 V | fmt 84, to F1, from 10, len 4"},
    };
    for (const auto& [hex, text] : rows) {
        const auto frame = Hex(hex);
        EXPECT_EQ(FrameMeaning::Describe(frame.data(), frame.size(), EcuVariant::B7), text);
    }
}

}  // namespace
