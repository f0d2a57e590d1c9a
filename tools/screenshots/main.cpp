// Grabs the main window once per tab, and the settings dialog, as PNG files:
//   vorta-screenshots DIR
// Runs on Qt's offscreen platform unless another is chosen; the port is a fresh
// pseudo-terminal and the settings come from an empty store, so the pictures show the
// window as a first start does.
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

#include "console/IniSettingsStore.h"
#include "console/TForm1.h"
#include "console/TForm2.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir storeDir;
    ConsoleOptions options;
    options.portOverride = QStringLiteral("/dev/ptmx");
    options.messageSink = [](const QString& m) { std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData()); };
    TForm1 form(options, std::make_unique<IniSettingsStore>(storeDir.filePath(QStringLiteral("s.ini"))));
    TForm2 settings(form.Store(), form.Reporter());
    form.show();

    auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    int failures = 0;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString file = out.filePath(QStringLiteral("tab%1.png").arg(i + 1));
        if (!form.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", file.toLocal8Bit().constData());
            ++failures;
        }
    }
    settings.Load();
    settings.show();
    QApplication::processEvents();
    if (!settings.grab().save(out.filePath(QStringLiteral("settings.png")))) {
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
