// Random chunk sequences, arrival times and console values through reception, dispatch
// and every service, the OBD-II ones and functional frames included, slow init and ISO 9141-2
// requests too. A conversion error is the emulator's expected report of an odd mirror text;
// anything else that escapes, and every sanitizer finding, is a fault.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "emulator/EcuEmulator.h"
#include "support/FakeEnvironment.h"
#include "protocol/Iso9141Frame.h"
#include "protocol/KwpFrame.h"

namespace {

// Reads the fuzz input front to back; zeros once it is used up.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return at_ >= size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t Word() {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) w = (w << 8) | Byte();
        return w;
    }
    std::vector<std::uint8_t> Bytes(std::size_t n) {
        std::vector<std::uint8_t> bytes;
        while (bytes.size() < n && !Empty()) bytes.push_back(Byte());
        return bytes;
    }
    std::string Text(std::size_t n) {
        const auto bytes = Bytes(n);
        return std::string(bytes.begin(), bytes.end());
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

const char* const kOddTexts[] = {
    "",    "-",      "+",        "1e9",        "99999999999", "-2147483648", "2147483648", "12,5",
    "12.5", "1 000,0", "1\u00A0000,0", "nan", "inf", "-0,0", ",", "0x1F", " 7", "7 ", "\xFF\xFE",
    "255", "-40", "6553,5", "1.000.000,25",
};

// The start of every request some service answers, so the fuzzer reaches them at once.
const std::vector<std::uint8_t> kServices[] = {
    {0x81}, {0x82}, {0x83}, {0x10, 0x81}, {0x3E}, {0x21, 0x01}, {0x21, 0x02}, {0x21, 0x03},
    {0x1A, 0x90}, {0x1A, 0x91}, {0x1A, 0x92}, {0x1A, 0x94}, {0x1A, 0x97}, {0x1A, 0x99}, {0x1A, 0x9A},
    {0x18}, {0x14, 0x00, 0x00}, {0x30}, {0x11, 0x01}, {0x30, 0x41, 0x07}, {0x30, 0x42, 0x07},
    {0x01}, {0x01, 0x00}, {0x01, 0x0C}, {0x01, 0x1F}, {0x01, 0x20}, {0x01, 0x40}, {0x01, 0x5E}, {0x03},
    {0x04}, {0x07}, {0x09, 0x00}, {0x09, 0x02}, {0x09, 0x04},
};

const NumberFormat kFormats[] = {
    {".", ","}, {",", "\u00A0"}, {",", " "}, {",", "."}, {".", ""},
};

class FuzzRun {
public:
    explicit FuzzRun(Input& in)
        : in_(in), emulator_(env_, [this] { return now_; }, [this] { return in_.Word(); }) {}

    void Run() {
        while (!in_.Empty()) {
            Step(in_.Byte() % 14);
        }
    }

private:
    void Step(int op) {
        if (op < 2) {
            Deliver(in_.Bytes(in_.Byte()));
        } else if (op < 4) {
            Request();
        } else if (op == 4) {
            now_ += std::chrono::milliseconds(in_.Byte());
        } else if (op == 5) {
            env_.variant = static_cast<EcuVariant>(in_.Byte() % 6);
        } else if (op == 6) {
            env_.ignition = !env_.ignition;
        } else if (op == 7) {
            const auto mirror = static_cast<Mirror>(in_.Byte() % 11);
            const std::uint8_t pick = in_.Byte();
            env_.mirrors[mirror] = pick < 128 ? kOddTexts[pick % std::size(kOddTexts)] : in_.Text(pick % 16);
        } else if (op == 8) {
            env_.format = kFormats[in_.Byte() % std::size(kFormats)];
        } else if (op == 9) {
            env_.tripRunning = (in_.Byte() & 1) != 0;
            emulator_.Timer4Timer();
        } else if (op == 10) {
            emulator_.GetFluctuation().Configure((in_.Byte() & 1) != 0, in_.Byte());
        } else if (op == 11) {
            Obd();
        } else if (op == 12) {
            SlowInit();
        } else {
            Console();
        }
    }

    // Identification texts, trouble codes and start-up.
    void Console() {
        const int kind = in_.Byte() % 4;
        if (kind == 0) {
            env_.idents[static_cast<IdentField>(in_.Byte() % 7)] = in_.Text(in_.Byte());
        } else if (kind == 1) {
            env_.troubleCodes.emplace_back(in_.Text(in_.Byte() % 12), (in_.Byte() & 1) != 0);
        } else if (kind == 2) {
            // Many ticked codes: replies that would outgrow one frame.
            const int n = env_.troubleCodes.size() < 600 ? in_.Byte() : 0;
            for (int i = 0; i < n; ++i) env_.troubleCodes.emplace_back(std::to_string(1000 + i) + " x", true);
        } else {
            emulator_.ResetFlags();
        }
    }

    // The OBD-II option of one type or all, and the engine's run time.
    void Obd() {
        const std::uint8_t pick = in_.Byte();
        if ((pick & 0x80) != 0) {
            emulator_.Obd().SetAll((pick & 1) != 0);
        } else if ((pick & 0x40) != 0) {
            const std::uint32_t ms = in_.Word();
            env_.engineRunTime = std::chrono::milliseconds(static_cast<std::int32_t>(ms));
        } else if ((pick & 0x20) != 0) {
            env_.engineRunTime.reset();
        } else {
            emulator_.Obd().Set(static_cast<EcuVariant>(pick % 6), (pick & 8) != 0);
        }
    }

    // Slow-init options and timing, and the call-back at the moment the emulator asked for.
    void SlowInit() {
        const std::uint8_t pick = in_.Byte();
        if (pick % 4 == 0) {
            emulator_.SlowInit().Set(static_cast<EcuVariant>(pick / 4 % 6), (pick & 0x80) != 0);
        } else if (pick % 4 == 1) {
            emulator_.SetObdProtocols({(pick & 0x10) != 0, (pick & 0x20) != 0, (pick & 0x40) != 0});
        } else if (pick % 4 == 2) {
            if (env_.wake && *env_.wake > now_) now_ = *env_.wake;
            try {
                emulator_.TimeReached();
            } catch (const std::runtime_error&) {
            }
            env_.written.clear();
            env_.timed.clear();
        } else {
            ((pick & 0x80) != 0 ? emulator_.InitTiming().w1Ms : emulator_.InitTiming().w4Ms) = in_.Byte() * 4;
        }
    }

    // A well-formed request to a served address (or, functional, to 0x33), cut into chunks
    // with random gaps.
    void Request() {
        const std::uint8_t flags = in_.Byte();
        const bool functional = (flags & 0x20) != 0;
        const std::uint8_t served = functional ? 0x33 : static_cast<std::uint8_t>(0x10 + (flags & 1));
        const std::uint8_t target = (flags & 3) == 0 ? in_.Byte() : served;
        const std::size_t length = (flags & 4) != 0 ? in_.Byte() : in_.Byte() % 8;
        std::vector<std::uint8_t> data;
        if ((flags & 0x10) != 0) {
            data = kServices[in_.Byte() % std::size(kServices)];
        }
        const auto tail = in_.Bytes(length);
        data.insert(data.end(), tail.begin(), tail.end());
        data.resize(std::min<std::size_t>(data.size(), kMaxFrameData));
        const FrameForm form = (flags & 8) != 0 ? FrameForm::Long : FrameForm::Short;
        const bool iso9141 = (flags & 0x40) != 0 && data.size() <= kIso9141MaxData;
        const auto frame = iso9141      ? BuildIso9141Request(data.data(), data.size())
                           : functional ? BuildFunctionalFrame(target, 0xF1, data.data(), data.size())
                                        : BuildFrame(target, 0xF1, data.data(), data.size(), form);
        std::size_t at = 0;
        while (at < frame.size()) {
            const std::size_t n = 1 + in_.Byte() % 8;
            Deliver(std::vector<std::uint8_t>(frame.begin() + static_cast<std::ptrdiff_t>(at),
                                              frame.begin() + static_cast<std::ptrdiff_t>(std::min(frame.size(), at + n))));
            at += n;
            now_ += std::chrono::milliseconds(in_.Byte() % 48);
        }
    }

    // One received-data event; sometimes the reported count differs from what is waiting.
    void Deliver(const std::vector<std::uint8_t>& chunk) {
        env_.Arrive(chunk);
        int count = env_.Waiting();
        const std::uint8_t skew = in_.Byte();
        if (skew >= 0xF0) {
            count += (skew & 0x0F) * 300 - 2000;
        }
        try {
            emulator_.SerComm1RxChar(count);
        } catch (const std::runtime_error&) {
            // The application's error report shows it; the port keeps running.
        }
        env_.written.clear();
        env_.timed.clear();
        env_.log.clear();
    }

    Input& in_;
    FakeEnvironment env_;
    std::chrono::steady_clock::time_point now_{};
    EcuEmulator emulator_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    FuzzRun(in).Run();
    return 0;
}
