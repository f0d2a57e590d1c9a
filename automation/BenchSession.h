#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "automation/CommandLineOptions.h"
#include "serial/PseudoTerminalHold.h"
#include "settings/SettingsStore.h"

class BenchLinkTap;
class ControlCommandExecutor;
class ControlServer;
class OperatorPanel;

// One run of the console as the command line asks for it: the main window and its settings
// dialog, and around them the bench automation (virtual port, echo, trace, reply faults and
// the control interface). Everything it creates for the run it removes again at the end.
class BenchSession {
public:
    using MessageSink = std::function<void(const QString& line)>;

    // messages receives every message a message box would show when the run is hidden, and
    // the port errors of delayed replies. quit ends the program (after "quit" was answered);
    // by default it closes the window and leaves the event loop.
    BenchSession(CommandLineOptions options, MessageSink messages, std::function<void()> quit = {});
    ~BenchSession();

    // Builds everything; false with a message when the program must not start (a control
    // address that is not loopback, a trace file that cannot be written, a link that cannot
    // be made). store replaces the user's settings store (tests).
    bool Start(QString* error, std::unique_ptr<SettingsStore> store = nullptr);

    BenchLinkTap& Tap() { return *tap_; }
    // The tester's side of the virtual port; empty unless --port pty.
    // The console behind the door, for what the run's users look at (the monitor's rows).
    OperatorPanel& Panel() { return *panel_; }
    QString PseudoTerminalPath() const { return ptyPath_; }
    QString ControlEndpoint() const;

private:
    bool MakePtyLink(QString* error);

    CommandLineOptions options_;
    MessageSink messages_;
    std::function<void()> quit_;
    std::unique_ptr<BenchLinkTap> tap_;
    std::unique_ptr<ControlServer> server_;
    std::unique_ptr<OperatorPanel> panel_;
    std::unique_ptr<ControlCommandExecutor> executor_;
    PseudoTerminalHold ptyHold_;
    QString ptyPath_;
    QString linkMade_;
};
