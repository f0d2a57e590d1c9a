// Settings files as they come from other machines: any bytes through the INI store and every
// reader of the stored settings, then the dialog's kind of write. A file the store refuses is
// left byte for byte; after a write the values read back, and every line the write had no
// business with is there as it was, in its order.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QRect>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "settings/IniSettingsStore.h"
#include "settings/MonitorGeometry.h"
#include "settings/ObdSettings.h"
#include "settings/StoredSettings.h"

namespace {

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "settings file fuzz: %s\n", what);
    std::abort();
}

std::unique_ptr<QTemporaryDir> folder;

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The lines no write of "EN" or "P2" may touch, without the section header a write may add.
QList<QByteArray> Untouched(const QByteArray& bytes, bool dropAddedHeader) {
    QList<QByteArray> lines = bytes.isEmpty() ? QList<QByteArray>() : bytes.split('\n');
    if (bytes.endsWith('\n')) lines.removeLast();
    QList<QByteArray> kept;
    for (const QByteArray& line : lines) {
        const QString t = QString::fromUtf8(line).trimmed().toLower();
        if (!t.startsWith(QLatin1String("en")) && !t.startsWith(QLatin1String("p2"))) kept << line;
    }
    if (dropAddedHeader) {
        qsizetype at = kept.size() - 1;
        while (at >= 0 && kept[at].trimmed() != "[MK-Vorta-Tester]") --at;
        if (at < 0) Broken("the added section is missing");
        kept.removeAt(at);
    }
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    folder = std::make_unique<QTemporaryDir>(QDir(QStringLiteral("/dev/shm")).exists()
                                                 ? QStringLiteral("/dev/shm/vorta-settings-fuzz-XXXXXX")
                                                 : QDir::tempPath() + QStringLiteral("/vorta-settings-fuzz-XXXXXX"));
    return folder->isValid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = folder->filePath(QStringLiteral("s.ini"));
    const QByteArray before(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(before) != before.size()) return 0;
    }
    IniSettingsStore store(path);
    (void)StartupSettings::Read(store);
    (void)ObdSettings::Read(store);
    (void)MonitorGeometry::Read(store, {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)});
    const bool refused = !store.Refusal().isEmpty();
    // Whether the section is there decides whether a header may be added.
    bool sectionThere = false;
    for (const QByteArray& line : before.split('\n')) {
        const QString t = QString::fromUtf8(line).trimmed();
        if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')) &&
            t.mid(1, t.size() - 2).trimmed().compare(StoredSettings::kSection, Qt::CaseInsensitive) == 0) {
            sectionThere = true;
        }
    }
    try {
        store.WriteStrings({{StoredSettings::kSection, StoredSettings::kFluctuationEnabled, QStringLiteral("1")},
                            {StoredSettings::kSection, StoredSettings::kReplyP2, QStringLiteral("25")}});
    } catch (const SettingsStoreError&) {
        if (!refused) Broken("a readable file was not written");
        if (ReadBytes(path) != before) Broken("a refused file was changed");
        return 0;
    }
    if (refused) Broken("a refused file was written");
    if (store.ReadString(StoredSettings::kSection, StoredSettings::kFluctuationEnabled, "") != "1" ||
        store.ReadString(StoredSettings::kSection, StoredSettings::kReplyP2, "") != "25") {
        Broken("the written values do not read back");
    }
    if (Untouched(ReadBytes(path), !sectionThere) != Untouched(before, false)) {
        Broken("a line the write had no business with changed");
    }
    return 0;
}
