#include <QApplication>
#include <cstdio>

#include "automation/BenchSession.h"
#include "automation/CommandLineOptions.h"
#include "automation/TerminationSignals.h"

namespace {

void PrintLine(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("vorta-tester"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORTA_VERSION));
    // An installed copy's window goes with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(VORTA_APP_ID));
    QStringList args;
    for (int i = 0; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    const CommandLineOptions::Parsed parsed = CommandLineOptions::Parse(args);
    switch (parsed.action) {
    case CommandLineOptions::Action::ShowHelp:
    case CommandLineOptions::Action::ShowVersion:
        PrintLine(stdout, parsed.text.trimmed());
        return 0;
    case CommandLineOptions::Action::Fail:
        PrintLine(stderr, parsed.text + QStringLiteral(" Try --help."));
        return 2;
    case CommandLineOptions::Action::Run:
        break;
    }
    // An unattended bench has no display: the window is built all the same, off screen.
    // Without --hidden the window needs one, and Qt would abort with advice that does not fit.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        if (!parsed.options.hidden) {
            PrintLine(stderr, QStringLiteral("no display: start with --hidden or set DISPLAY"));
            return 2;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    QApplication app(argc, argv);
    TerminationSignals stopSignals;
    if (!stopSignals.Failure().isEmpty()) {
        PrintLine(stderr, stopSignals.Failure());
    }
    // A hidden run reports each message as exactly one line on standard error.
    BenchSession session(parsed.options, [](const QString& message) {
        PrintLine(stderr, QString(message).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    });
    QString error;
    if (!session.Start(&error)) {
        PrintLine(stderr, error);
        return 1;
    }
    if (parsed.options.pty) {
        PrintLine(stdout, session.PseudoTerminalPath());
    }
    return app.exec();
}
