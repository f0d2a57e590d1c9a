#include "automation/CommandLineOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include "automation/OptionWords.h"
#include "protocol/ReplyTiming.h"

CommandLineOptions::Parsed CommandLineOptions::Parse(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Тестер БК \"ВОРТА\": emulates an engine controller on a K-line link."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Open DEVICE for this run instead of the stored port; 'pty' makes a "
                       "pseudo-terminal pair and prints the tester's side on standard output."),
        QStringLiteral("DEVICE"));
    const QCommandLineOption ptyLink(
        QStringLiteral("pty-link"),
        QStringLiteral("With --port pty: make PATH a symbolic link to the tester's side "
                       "(removed at exit)."),
        QStringLiteral("PATH"));
    const QCommandLineOption noEcho(
        QStringLiteral("no-echo"),
        QStringLiteral("On the virtual port, do not echo the tester's bytes."));
    const QCommandLineOption control(
        QStringLiteral("control"),
        QStringLiteral("Open the control interface on HOST:PORT (loopback only) or unix:PATH."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption hidden(
        QStringLiteral("hidden"),
        QStringLiteral("Run without a window; messages go to standard error."));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Append every chunk received and every frame sent to FILE."),
        QStringLiteral("FILE"));
    const QCommandLineOption obd(
        QStringLiteral("obd"),
        QStringLiteral("For this run, every controller type answers OBD-II requests (on) or none "
                       "does (off), whatever the settings hold."),
        QStringLiteral("on|off"));
    const QCommandLineOption framing(
        QStringLiteral("framing"),
        QStringLiteral("Frame the replies of every controller type 'compact' (the smallest header) or "
                       "'real' (live data with the long header, as real controllers), this run only."),
        QStringLiteral("compact|real"));
    const QCommandLineOption p2(
        QStringLiteral("p2"),
        QStringLiteral("Answer MS milliseconds (0 to 5000) after the last byte of a request, this run only."),
        QStringLiteral("MS"));
    const QCommandLineOption p1(
        QStringLiteral("p1"),
        QStringLiteral("Leave MS milliseconds (0 to 20) between the bytes of a reply, this run only."),
        QStringLiteral("MS"));
    const QCommandLineOption cycle(
        QStringLiteral("cycle"),
        QStringLiteral("Drive a cycle from the start, for unattended runs: curve, nedc, wltc2, wltc3b or the "
                       "path of a cycle file (time_s,speed_kmh[,rpm,fuel_lph,injection_ms,throttle_pct,coolant_c])."),
        QStringLiteral("NAME|PATH"));
    const QCommandLineOption slowInit(
        QStringLiteral("slow-init"),
        QStringLiteral("For this run, every controller type answers a slow init (5 baud) at its own "
                       "address (on) or none does (off), whatever the settings hold."),
        QStringLiteral("on|off"));
    const QCommandLineOption obdProtocols(
        QStringLiteral("obd-protocols"),
        QStringLiteral("How OBD-II testers may open the link this run: a comma-separated list of fast "
                       "(ISO 14230-4, fast init), slow (ISO 14230-4, slow init) and iso9141 (ISO 9141-2)."),
        QStringLiteral("LIST"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    parser.addOptions({port, ptyLink, noEcho, control, hidden, trace, obd, framing, p2, p1, cycle, slowInit, obdProtocols,
                       help, version});

    Parsed parsed;
    if (!parser.parse(args)) {
        parsed.text = parser.errorText();
        return parsed;
    }
    if (parser.isSet(help)) {
        parsed.action = Action::ShowHelp;
        parsed.text = parser.helpText();
        // The parser names the program only once an application object exists, and then by
        // its full path; the usage line names it by its file name, as a manual page does.
        const int usageEnd = parsed.text.indexOf(QLatin1String(" [options]"));
        if (usageEnd > 0 && !args.isEmpty()) {
            parsed.text.replace(0, usageEnd, QStringLiteral("Usage: ") + QFileInfo(args.first()).fileName());
        }
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.action = Action::ShowVersion;
        parsed.text = QStringLiteral("%1 %2").arg(QCoreApplication::applicationName(),
                                                  QCoreApplication::applicationVersion());
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty()) {
        parsed.text = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
        return parsed;
    }
    for (const auto* option :
         {&port, &ptyLink, &control, &trace, &obd, &framing, &p2, &p1, &cycle, &slowInit, &obdProtocols}) {
        if (parser.values(*option).size() > 1) {
            parsed.text = QStringLiteral("Option '%1' given more than once.").arg(option->names().first());
            return parsed;
        }
    }

    CommandLineOptions& options = parsed.options;
    options.port = parser.value(port);
    options.pty = options.port == QLatin1String("pty");
    if (options.pty) {
        options.port.clear();
    }
    if (parser.isSet(port) && options.port.isEmpty() && !options.pty) {
        parsed.text = QStringLiteral("Option '--port' needs a device name or 'pty'.");
        return parsed;
    }
    options.ptyLink = parser.value(ptyLink);
    if (parser.isSet(ptyLink) && (!options.pty || options.ptyLink.isEmpty())) {
        parsed.text = QStringLiteral("Option '--pty-link PATH' goes with '--port pty'.");
        return parsed;
    }
    options.echo = !parser.isSet(noEcho);
    options.control = parser.value(control);
    if (parser.isSet(control) && options.control.isEmpty()) {
        parsed.text = QStringLiteral("Option '--control' needs HOST:PORT or unix:PATH.");
        return parsed;
    }
    options.hidden = parser.isSet(hidden);
    options.trace = parser.value(trace);
    if (parser.isSet(trace) && options.trace.isEmpty()) {
        parsed.text = QStringLiteral("Option '--trace' needs a file name.");
        return parsed;
    }
    options.cycle = parser.value(cycle);
    if (parser.isSet(cycle) && options.cycle.isEmpty()) {
        parsed.text = QStringLiteral("Option '--cycle' needs a cycle name or a file.");
        return parsed;
    }
    if (parser.isSet(obd)) {
        options.obd = OptionWords::ParseOnOff(parser.value(obd));
        if (!options.obd) {
            parsed.text = QStringLiteral("Option '--obd' needs on or off.");
            return parsed;
        }
    }
    if (parser.isSet(slowInit)) {
        options.slowInit = OptionWords::ParseOnOff(parser.value(slowInit));
        if (!options.slowInit) {
            parsed.text = QStringLiteral("Option '--slow-init' needs on or off.");
            return parsed;
        }
    }
    if (parser.isSet(obdProtocols)) {
        options.obdProtocols = ObdProtocols::Parse(parser.value(obdProtocols).toStdString());
        if (!options.obdProtocols) {
            parsed.text = QStringLiteral("Option '--obd-protocols' takes a comma-separated list of fast, slow and "
                                         "iso9141, e.g. fast,iso9141.");
            return parsed;
        }
    }
    if (parser.isSet(framing)) {
        options.framing = OptionWords::ParseFraming(parser.value(framing));
        if (!options.framing) {
            parsed.text = QStringLiteral("Option '--framing' takes 'compact' or 'real'.");
            return parsed;
        }
    }
    // Whole milliseconds within the time's range.
    auto time = [&](const QCommandLineOption& option, int max, std::optional<int>* into) {
        if (!parser.isSet(option)) return true;
        *into = OptionWords::ParseCount(parser.value(option), max);
        if (!*into) {
            parsed.text = QStringLiteral("Option '--%1' takes whole milliseconds from 0 to %2.")
                              .arg(option.names().first())
                              .arg(max);
            return false;
        }
        return true;
    };
    if (!time(p2, ReplyTiming::kMaxP2Ms, &options.p2Ms) || !time(p1, ReplyTiming::kMaxP1Ms, &options.p1Ms)) {
        return parsed;
    }
    parsed.action = Action::Run;
    return parsed;
}
