#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "console/ConsoleOptions.h"
#include "console/ControlButton.h"
#include "drive/Verdict.h"
#include "protocol/ReplyTiming.h"
#include "emulator/EcuEnvironment.h"
#include "protocol/EcuVariant.h"
#include "protocol/ObdProtocols.h"
#include "protocol/ReplyFraming.h"
#include "settings/SettingsStore.h"
#include "protocol/SlowInitTiming.h"

class LinkMonitor;
class ReplyLine;

// The one door from bench automation into the console: the console as the operator sees it,
// reached by the control table's words. The console implements it and owns everything behind
// it. Every call runs on the main thread and goes through the same handlers as the operator's
// mouse and keyboard.
class OperatorPanel {
public:
    // Opens the console for a run: the main window (not shown yet) and its settings dialog.
    // Without a store, the user's own store is opened. quit runs after the answer to "quit"
    // has been sent.
    static std::unique_ptr<OperatorPanel> Open(const ConsoleOptions& options, std::unique_ptr<SettingsStore> store,
                                               std::function<void()> quit);

    virtual ~OperatorPanel() = default;

    // Sets a control as if dragged there: clamped and quantised by the control itself.
    virtual void SetValue(Mirror mirror, double value) = 0;
    virtual QString MirrorText(Mirror mirror) const = 0;
    // What the value's instrument takes: its lowest and its highest value.
    virtual std::pair<double, double> Range(Mirror mirror) const = 0;

    // Toggles a two-state button (or presses a push button) and runs its click handler.
    virtual void Click(ControlButton button) = 0;
    // Whether a two-state button is down (the ignition on, the engine running).
    virtual bool ButtonDown(ControlButton button) const = 0;

    virtual void SelectVariant(EcuVariant variant) = 0;
    virtual EcuVariant Variant() const = 0;

    // Trouble-code list, 0-based in list order.
    virtual int TroubleCodeCount() const = 0;
    virtual void SetTroubleCodeTicked(int index, bool ticked) = 0;
    virtual bool TroubleCodeTicked(int index) const = 0;

    virtual void SetIdentText(IdentField field, const QString& text) = 0;
    virtual QString IdentText(IdentField field) const = 0;

    virtual bool LampOn(Lamp lamp) const = 0;

    // Every controller type answers OBD-II requests, or none does, for this run.
    virtual void SetObdEnabled(bool on) = 0;
    // Whether the current type answers OBD-II requests.
    virtual bool ObdEnabled() const = 0;

    // Every controller type answers a slow init at its own address, or none does, for this run;
    // and whether the current type does.
    virtual void SetSlowInit(bool on) = 0;
    virtual bool SlowInit() const = 0;
    // How OBD-II testers may open the link, for this run.
    virtual void SetObdProtocols(ObdProtocols protocols) = 0;
    virtual ObdProtocols GetObdProtocols() const = 0;
    // The controller's W1 and W4, from the next slow init on.
    virtual void SetInitTiming(SlowInitTiming timing) = 0;
    virtual SlowInitTiming InitTiming() const = 0;

    // Reply timing, from the next reply on.
    virtual void SetReplyTiming(ReplyTiming timing) = 0;
    virtual ReplyTiming Timing() const = 0;

    // Reply framing: one for all six types (as --framing does), read back per type.
    virtual void SetFraming(ReplyFraming framing) = 0;
    virtual ReplyFraming Framing(EcuVariant variant) const = 0;

    // Distance, fuel, average speed, average consumption and travel time, as shown.
    virtual QStringList TripTexts() const = 0;

    // The report on the tester as one line of JSON, and a fresh start of its counts.
    virtual QString ReportJson() const = 0;
    virtual void ClearReport() = 0;

    // Drive cycles: the words of `cycle list`; start by word or file (the reason it did not
    // start, or nothing); stop; the state and the verdict as one line of JSON each; the
    // figures read off the device; the report (the reason it was not written, or nothing).
    virtual QStringList CycleWords() const = 0;
    virtual QString StartCycle(const QString& wordOrPath) = 0;
    virtual bool StopCycle() = 0;  // false when none was running
    virtual QString CycleJson() const = 0;
    virtual QString EnterDeviceFigures(const EnteredFigures& figures) = 0;
    virtual QString VerdictJson() const = 0;
    virtual QString SaveCycleReport(const QString& path) = 0;

    // The K-line port: "open NAME", or "lost NAME: reason" while it waits to be opened again.
    virtual QString PortState() const = 0;

    // Closes the program once the current answer is on its way.
    virtual void Quit() = 0;

    // The run around the console: the window shown or closed, bytes echoed onto the port, a
    // message as the console reports it, where frames are graded and replies leave, and the
    // tester's side of a virtual port (empty for a real one).
    virtual void Show() = 0;
    virtual void Close() = 0;
    virtual void WriteToPort(const std::uint8_t* bytes, int count) = 0;
    virtual void Report(const QString& message) = 0;
    virtual LinkMonitor& Monitor() = 0;
    virtual ReplyLine& Replies() = 0;
    virtual QString PseudoTerminalPath() const = 0;
};
