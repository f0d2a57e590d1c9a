#include "console/SerialPortNames.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>

namespace SerialPortNames {

QStringList ClassicNames() {
    QStringList names;
    for (int n = 1; n <= 8; ++n) {
        names << QStringLiteral("COM%1").arg(n);
    }
    return names;
}

QStringList PresentDevices(const QString& devRoot) {
    // ttyUSB2 before ttyUSB10.
    const auto byNumber = [](const QString& a, const QString& b) {
        static const QRegularExpression digits(QStringLiteral("[0-9]+$"));
        const QString na = digits.match(a).captured();
        const QString nb = digits.match(b).captured();
        const QString pa = a.left(a.size() - na.size());
        const QString pb = b.left(b.size() - nb.size());
        if (pa != pb) {
            return pa < pb;
        }
        return na.toLongLong() < nb.toLongLong();
    };

    QStringList devices;
    const QDir dev(devRoot);
    for (const char* pattern : {"ttyUSB*", "ttyACM*"}) {
        QStringList found = dev.entryList({QString::fromLatin1(pattern)}, QDir::System | QDir::Files | QDir::Dirs |
                                                                             QDir::NoDotAndDotDot);
        std::sort(found.begin(), found.end(), byNumber);
        for (const QString& name : found) {
            devices << dev.filePath(name);
        }
    }
    const QDir byId(dev.filePath(QStringLiteral("serial/by-id")));
    QStringList stable = byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : stable) {
        devices << byId.filePath(name);
    }
    return devices;
}

}  // namespace SerialPortNames
