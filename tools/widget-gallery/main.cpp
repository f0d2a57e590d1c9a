// Shows every instrument widget; with --png FILE renders the gallery to a picture instead,
// through the offscreen platform unless another one was chosen.
#include "GalleryWindow.h"

#include "widgets/TUiDial.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool WantsPng(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--png") == 0 || std::strncmp(argv[i], "--png=", 6) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (WantsPng(argc, argv) && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Instrument widget gallery"));
    parser.addHelpOption();
    const QCommandLineOption png(QStringLiteral("png"), QStringLiteral("Write the gallery to FILE and exit."),
                                 QStringLiteral("FILE"));
    parser.addOption(png);
    parser.process(app);

    GalleryWindow window;
    window.show();
    // The third dial shows its focus colour.
    if (const auto dials = window.findChildren<TUiDial*>(); dials.size() > 2) {
        dials[2]->setFocus();
    }
    if (!parser.isSet(png)) {
        return app.exec();
    }
    QApplication::processEvents();
    const QString file = parser.value(png);
    if (!window.grab().save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}
