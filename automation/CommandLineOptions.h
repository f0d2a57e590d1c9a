#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "protocol/ObdProtocols.h"
#include "protocol/ReplyFraming.h"

// The program's command line. Nothing here is stored as a setting.
struct CommandLineOptions {
    QString port;       // --port DEVICE: this device instead of the stored "COM-Port"
    bool pty = false;   // --port pty: a pseudo-terminal pair, its master side as the link
    QString ptyLink;    // --pty-link PATH: symbolic link to the other side, removed at exit
    bool echo = true;   // --no-echo clears it: the virtual port echoes the tester's bytes
    QString control;    // --control HOST:PORT or unix:PATH
    bool hidden = false;
    QString trace;      // --trace FILE
    std::optional<bool> obd;  // --obd on|off: every controller type answers OBD-II, or none
    std::optional<ReplyFraming> framing;  // --framing compact|real: all types, this run
    std::optional<int> p2Ms;              // --p2 MS: reply timing, this run
    std::optional<int> p1Ms;              // --p1 MS
    QString cycle;      // --cycle NAME|PATH: drive this cycle from the start
    std::optional<bool> slowInit;         // --slow-init on|off: every type at its own address, or none
    std::optional<ObdProtocols> obdProtocols;  // --obd-protocols LIST

    // What the program does with the command line.
    enum class Action { Run, ShowHelp, ShowVersion, Fail };
    struct Parsed;

    // args[0] is the program name, as in QCoreApplication::arguments().
    static Parsed Parse(const QStringList& args);
};

struct CommandLineOptions::Parsed {
    Action action = Action::Fail;
    CommandLineOptions options;
    QString text;  // the help or version text, or the error message
};
