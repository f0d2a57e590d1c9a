#pragma once

#include <QWidget>
#include <chrono>
#include <cstdint>
#include <memory>

#include "console/ConsoleOptions.h"
#include "settings/FramingByType.h"
#include "console/MessageReporter.h"
#include "console/MirrorFormat.h"
#include "console/OperatorControls.h"
#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"
#include "console/TripCheckPanel.h"
#include "emulator/EcuEnvironment.h"
#include "serial/TSerComm.h"

class ConsoleEnvironment;
class CycleDriver;
class CyclePanel;
class DeferredLogView;
class EcuEmulator;
class EcuVariantSelector;
class LinkMonitor;
class MonitorWindow;
class EngineRunClock;
class ObdSupport;
class ParameterControls;
class PortKeeper;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTimer;
class QToolBar;
class LinkTap;
class ReplyLine;
class TForm2;

// The main window of the bench tester: the controller-type toolbar, five tabs of controls,
// lamps and identification texts, the bottom strip, the port and the five timers. It lays
// the controls out and wires them; what they do lives in the classes it binds together.
// The controls with a meaning carry the object names of the control table; bench automation
// reaches them by meaning through the door the window's FormOperatorPanel opens.
class TForm1 : public QWidget {
    Q_OBJECT
    friend class FormOperatorPanel;

public:
    // The address the web buttons and pictures open.
    static const QString kWebAddress;

    // Runs the start-up sequence. Without a store, the user's own store is opened.
    explicit TForm1(const ConsoleOptions& options = {}, std::unique_ptr<SettingsStore> store = nullptr,
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // The settings dialog that "Настройка" shows (created after the window, not owned).
    void SetSettingsDialog(TForm2* dialog);
    SettingsStore& Store() { return *store_; }
    const MessageReporter& Reporter() const { return reporter_; }

    ParameterControls& Parameters() { return *parameters_; }
    TripCheckPanel& TripCheckControls() { return *trip_; }
    // Every frame and event on the line, and the report on the tester.
    LinkMonitor& Monitor() { return *monitor_; }
    // Opens (or raises) the window "Монитор K-линии" where it was last left.
    MonitorWindow* ShowMonitor();
    // The monitor window, when it was ever opened.
    MonitorWindow* MonitorWindowIfMade() const { return monitorWindow_; }
    // The controls by meaning, as the window registered them.
    const OperatorControls& Controls() const { return controls_; }
    ObdSupport& Obd() { return *obd_; }
    // How each controller type frames its replies; read at every reply.
    FramingByType& Framing() { return framing_; }
    // Where replies leave: at once, or at their moments with a reply timing.
    ReplyLine& Replies() { return *replyLine_; }

    // The drive cycle of the tab "Ездовой цикл".
    CycleDriver& Cycles() { return *cycles_; }
    const CycleDriver& Cycles() const { return *cycles_; }
    CyclePanel& CycleControls() { return *cyclePanel_; }
    // Starts a cycle by its word (curve, nedc, wltc2, wltc3b) or file; the reason it did not, or nothing.
    QString StartCycle(const QString& wordOrPath);
    // Writes the cycle's report (PDF and JSON beside it); the reason it could not, or nothing.
    QString SaveCycleReport(const QString& path);

    void Timer1Timer();
    void Timer2Timer();
    void UiColBitBtn8Click();
    void UiColBitBtn10Click();
    void OpenWebAddress();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildToolBar();
    void BuildMonitorButton();
    void BuildTripComputerTab(QWidget* tab);
    void BuildTesterTab(QWidget* tab);
    void BuildTroubleCodeTab(QWidget* tab);
    void BuildIdentificationTab(QWidget* tab);
    void BuildAboutTab(QWidget* tab);
    void BuildCycleTab(QWidget* tab) { cyclePage_ = tab; }
    void BindCycles(const ConsoleOptions& options);
    void BuildBottomStrip();
    void BuildTimers();
    void BuildObdMark();
    void LoadObdSettings();
    // Slow init per type and the OBD-II protocols, as stored.
    void ApplySlowInitSettings(const StartupSettings& settings);
    void BuildReplyLine();
    // Tells of a lost port and of its return: the log, the monitor, the status line and,
    // unattended, one line to the message sink.
    void BuildPortKeeper();
    // The port's stamps are as fine as its device now allows.
    void UpdateStampResolution();
    // A reply frame has left: the monitor's row and the link tap's trace.
    void ReplyFrameLeft(const std::uint8_t* bytes, std::size_t n, std::chrono::steady_clock::time_point first,
                        std::chrono::steady_clock::time_point last);
    void Bind(const ConsoleOptions& options);
    void FormCreate(const ConsoleOptions& options);

    std::unique_ptr<SettingsStore> store_;
    MessageReporter reporter_;
    MirrorFormat format_;
    FramingByType framing_;
    TForm2* settingsDialog_ = nullptr;

    std::unique_ptr<TSerComm> serComm1_;
    PortKeeper* portKeeper_ = nullptr;
    QString portNote_;  // the monitor window's status line about the port
    std::unique_ptr<LinkMonitor> monitor_;
    MonitorWindow* monitorWindow_ = nullptr;
    std::unique_ptr<ReplyLine> replyLine_;
    LinkTap* linkTap_ = nullptr;
    std::unique_ptr<ConsoleEnvironment> environment_;
    std::unique_ptr<EcuEmulator> emulator_;
    ParameterControls* parameters_ = nullptr;
    EcuVariantSelector* variants_ = nullptr;
    TripCheckPanel* trip_ = nullptr;
    EngineRunClock* engineRun_ = nullptr;
    ObdSupport* obd_ = nullptr;
    QWidget* cyclePage_ = nullptr;
    CycleDriver* cycles_ = nullptr;
    CyclePanel* cyclePanel_ = nullptr;

    QToolBar* ToolBar1_ = nullptr;
    QTabWidget* PageControl1_ = nullptr;
    QListWidget* CheckListBox1_ = nullptr;
    DeferredLogView* Memo1_ = nullptr;
    QLabel* obdMark_ = nullptr;
    QTimer* wakeTimer_ = nullptr;  // calls the emulator back when it asks to be
    QTimer *Timer1_ = nullptr, *Timer2_ = nullptr, *Timer3_ = nullptr, *Timer4_ = nullptr, *Timer5_ = nullptr;
    OperatorControls controls_;
    TripCheckPanel::Controls tripControls_{};  // the trip tab's own read-outs, the rest added when bound
};
