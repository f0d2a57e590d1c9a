#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <map>
#include <optional>

#include "console/MirrorFormat.h"
#include "emulator/EcuEnvironment.h"

class DeferredLogView;
class LinkTap;
class QLineEdit;
class QListWidget;
class QTimer;
class ReplyLine;
class TSerCustomComm;
class TUiColBitBtn;
class TUiLED;

// The console as the emulator sees it: the port (through the optional link tap), the
// mirror texts, identification fields, trouble-code ticks and lamps of the main window,
// read at the moment of each request.
class ConsoleEnvironment : public EcuEnvironment {
public:
    struct Bindings {
        TSerCustomComm* port = nullptr;
        LinkTap* linkTap = nullptr;
        ReplyLine* replies = nullptr;  // every reply leaves through it
        TUiColBitBtn* ignitionButton = nullptr;  // UiColBitBtn2
        std::function<EcuVariant()> variant;
        std::function<bool()> tripCheckRunning;
        std::function<ReplyFraming()> framing;  // of the selected type
        std::map<Mirror, QLineEdit*> mirrors;
        std::map<IdentField, QLineEdit*> identification;
        QListWidget* troubleCodes = nullptr;  // CheckListBox1
        std::map<Lamp, TUiLED*> lamps;
        DeferredLogView* log = nullptr;  // Memo1
        QTimer* resetTimer = nullptr;   // Timer2
        std::function<std::optional<std::chrono::milliseconds>()> engineRunTime;
        std::function<void()> clearTroubleCodes;  // UiColBitBtn8Click
        // Calls the emulator back at the moment it asks for (nullopt: no call).
        std::function<void(std::optional<std::chrono::steady_clock::time_point>)> wakeAt;
    };

    ConsoleEnvironment(Bindings bindings, MirrorFormat format);

    int ReadBuf(std::uint8_t* buffer, int count) override;
    int WriteBuf(const std::uint8_t* buffer, int count) override;
    // The port's stamp of the chunk the last ReadBuf gave (ReadBuf gives one chunk at a time).
    std::optional<std::chrono::steady_clock::time_point> LastReadArrival() const override { return lastArrival_; }
    void AnsweringRequest(std::chrono::steady_clock::time_point lastByteRead,
                          std::chrono::milliseconds p2Min) override;
    void WriteAt(const std::uint8_t* buffer, int count, std::chrono::steady_clock::time_point moment) override;
    void WakeAt(std::optional<std::chrono::steady_clock::time_point> moment) override;
    bool ReplyWaiting() const override;

    bool IgnitionOn() const override;
    EcuVariant Variant() const override;
    std::string MirrorText(Mirror mirror) const override;
    NumberFormat MirrorNumberFormat() const override;
    std::string IdentificationText(IdentField field) const override;
    int TroubleCodeItemCount() const override;
    std::string TroubleCodeItemText(int index) const override;
    bool TroubleCodeTicked(int index) const override;
    bool TripCheckRunning() const override;
    std::optional<std::chrono::milliseconds> EngineRunTime() const override;
    void ClearTroubleCodes() override;
    ReplyFraming Framing() const override;

    void SetLamp(Lamp lamp, bool on) override;
    void AppendLog(const std::string& line) override;
    void EnableResetTimer() override;

private:
    Bindings b_;
    MirrorFormat format_;
    std::chrono::steady_clock::time_point lastArrival_{};
};
