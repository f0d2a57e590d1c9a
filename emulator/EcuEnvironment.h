#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "protocol/EcuVariant.h"
#include "protocol/ReplyFraming.h"

// The hidden mirror fields that hold the engine values as text. The console's control table
// says which field and control stand for each.
enum class Mirror {
    Speed,        // km/h
    Coolant,      // °C
    EngineSpeed,  // rpm
    Throttle,     // %
    IdleValve,    // steps
    FuelFlow,     // l/h
    AirFlow,      // kg/h
    Voltage,      // V
    IdleSpeed,    // rpm
    Injection,    // ms
    Consumption,  // l/100 km
};

// Digits after the point a mirror holds; the controller reads a mirror without any as a whole
// number. The control table shows every value with as many (checked when it compiles).
constexpr int MirrorDecimals(Mirror mirror) {
    constexpr int kDecimals[] = {0, 0, 0, 0, 0, 1, 1, 1, 0, 2, 1};  // in the order of Mirror
    return kDecimals[static_cast<int>(mirror)];
}

// The identification texts, named after the option byte that asks for them.
enum class IdentField {
    RomVersion,       // option 0x9A
    Vin,              // option 0x90
    EcuSerialNumber,  // option 0x91
    EngineId,         // option 0x97
    ProgrammingDate,  // option 0x99
    HardwareNumber,   // option 0x92
    SoftwareNumber,   // option 0x94
};

// Every lamp the emulator switches.
enum class Lamp {
    UiLED1,  // "Запрос по К-линии"
    UiLED2,  // "Ответ по К-линии"
    UiLED3,  // "Произведен сброс ошибок", tester tab
    UiLED4,  // "Произведен сброс ЭБУ"
    UiLED5,  // "Произведен сброс ошибок", trouble-code tab
    ESUDCONTROL1ON,
    ESUDCONTROL1OFF,
    ESUDCONTROL2ON,
    ESUDCONTROL2OFF,
    ESUDCONTROL5ON,
    ESUDCONTROL5OFF,
    ESUDCONTROL6ON,
    ESUDCONTROL6OFF,
    ESUDCONTROL7ON,
    ESUDCONTROL7OFF,
    ESUDCONTROL8ON,
    ESUDCONTROL8OFF,
};

// How the console writes numbers with decimals into the mirrors (the user's locale).
// Separators are UTF-8: a Russian locale groups with a no-break space (U+00A0).
struct NumberFormat {
    std::string decimalSeparator = ".";
    std::string groupSeparator = ",";
};

// Everything the emulator touches outside itself: the port, the console values it reads
// at the moment of a request, and the indicators it switches. The emulator keeps no copy
// of a console value between requests. All calls happen on the main thread.
class EcuEnvironment {
public:
    virtual ~EcuEnvironment() = default;

    // Serial port. ReadBuf returns the bytes read (0 when nothing arrived or the port is
    // closed); WriteBuf copies or sends the bytes before it returns and may throw the
    // port's error.
    virtual int ReadBuf(std::uint8_t* buffer, int count) = 0;
    virtual int WriteBuf(const std::uint8_t* buffer, int count) = 0;
    // When the bytes the last ReadBuf gave arrived: the time the port's own thread read them
    // from the device, however late the main thread handles them. An environment that stamps
    // its chunks gives out the bytes of one arrival per ReadBuf. nullopt: no stamp, and the
    // emulator takes the time it handles the bytes.
    virtual std::optional<std::chrono::steady_clock::time_point> LastReadArrival() const { return std::nullopt; }

    // Reply timing. The replies written until the next call answer a request whose last byte
    // was read from the device at `lastByteRead`, and leave no earlier than `p2Min` after it
    // (0: as the reply timing says).
    virtual void AnsweringRequest(std::chrono::steady_clock::time_point lastByteRead,
                                  std::chrono::milliseconds p2Min) {
        (void)lastByteRead, (void)p2Min;
    }
    // Bytes of a slow init, to leave at `moment` (at once when it has passed), after whatever
    // waits to leave before them.
    virtual void WriteAt(const std::uint8_t* buffer, int count, std::chrono::steady_clock::time_point moment) {
        (void)moment;
        WriteBuf(buffer, count);
    }
    // EcuEmulator::TimeReached is to be called at `moment`; nullopt: no call is needed. Each
    // call replaces the one before.
    virtual void WakeAt(std::optional<std::chrono::steady_clock::time_point> moment) { (void)moment; }
    // True while a reply still waits to leave: a controller busy with its answer takes the
    // next request only after it (EcuEmulator::ReplyGone).
    virtual bool ReplyWaiting() const { return false; }

    // Console values.
    virtual bool IgnitionOn() const = 0;  // pressed state of UiColBitBtn2
    virtual EcuVariant Variant() const = 0;
    virtual std::string MirrorText(Mirror mirror) const = 0;  // UTF-8
    virtual NumberFormat MirrorNumberFormat() const = 0;
    virtual std::string IdentificationText(IdentField field) const = 0;  // UTF-8
    virtual int TroubleCodeItemCount() const = 0;                        // CheckListBox1
    virtual std::string TroubleCodeItemText(int index) const = 0;        // UTF-8
    virtual bool TroubleCodeTicked(int index) const = 0;
    virtual bool TripCheckRunning() const = 0;
    // How long the engine has run since its button started it; nothing while it stands.
    virtual std::optional<std::chrono::milliseconds> EngineRunTime() const = 0;

    // Unticks every item of the trouble-code list, as "Очистка окна ошибок" does.
    virtual void ClearTroubleCodes() = 0;

    // Framing chosen for the selected controller type; compact unless the console says otherwise.
    virtual ReplyFraming Framing() const { return ReplyFraming::Compact; }

    // Indicators.
    virtual void SetLamp(Lamp lamp, bool on) = 0;
    virtual void AppendLog(const std::string& line) = 0;  // Memo1, never shown
    // Enables Timer2 (5000 ms, switches the reset lamps off); a running timer is not restarted.
    virtual void EnableResetTimer() = 0;
};
