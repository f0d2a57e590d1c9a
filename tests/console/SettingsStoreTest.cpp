#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include "console/IniSettingsStore.h"
#include "console/StoredSettings.h"

namespace {

QString ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void WriteFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

}  // namespace

TEST(IniSettingsStore, MissingFileGivesDefaultsAndWriteCreatesSectionAndValue) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cfg/MK-Vorta-Tester_Registrids.ini"));
    IniSettingsStore store(path);
    EXPECT_EQ(store.ReadString("MK-Vorta-Tester", "COM-Port", "COM1"), "COM1");

    store.WriteString("MK-Vorta-Tester", "COM-Port", "/dev/ttyUSB0");
    store.WriteString("MK-Vorta-Tester", "EN", "1");
    store.WriteString("MK-Vorta-Tester", "COM-Port", "COM3");  // replaced, not appended

    EXPECT_EQ(ReadFile(path), "[MK-Vorta-Tester]\nCOM-Port=COM3\nEN=1\n");
    EXPECT_EQ(store.ReadString("MK-Vorta-Tester", "com-port", "x"), "COM3");  // names without case
}

TEST(IniSettingsStore, KeepsOtherSectionsAndReadsOnlyItsOwn) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    WriteFile(path, "; bench PC\n[Other]\nEN=1\n\n[MK-Vorta-Tester]\nPogr = 7\n\n[Last]\nx=y\n");
    IniSettingsStore store(path);
    EXPECT_EQ(store.ReadString("MK-Vorta-Tester", "EN", "0"), "0");
    EXPECT_EQ(store.ReadString("MK-Vorta-Tester", "Pogr", "5"), "7");

    store.WriteString("MK-Vorta-Tester", "EN", "1");
    EXPECT_EQ(ReadFile(path), "; bench PC\n[Other]\nEN=1\n\n[MK-Vorta-Tester]\nPogr = 7\nEN=1\n\n[Last]\nx=y\n");
}

TEST(IniSettingsStore, UnwritableLocationRaisesTheKeyMessage) {
    QTemporaryDir dir;
    // A plain file where the configuration folder should be: no folder can be made there.
    WriteFile(dir.filePath(QStringLiteral("blocked")), "");
    IniSettingsStore store(dir.filePath(QStringLiteral("blocked/s.ini")));
    try {
        store.WriteString("MK-Vorta-Tester", "COM-Port", "COM2");
        FAIL() << "write reported as done";
    } catch (const SettingsStoreError& e) {
        EXPECT_EQ(e.Message(), "Failed to create key MK-Vorta-Tester");
    }
}

TEST(IniSettingsStore, DefaultPathFollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/vorta-cfg");
    EXPECT_EQ(IniSettingsStore::DefaultPath(), "/tmp/vorta-cfg/MK-Vorta-Tester_Registrids.ini");
    qputenv("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_TRUE(IniSettingsStore::DefaultPath().endsWith("/.config/MK-Vorta-Tester_Registrids.ini"));
    EXPECT_FALSE(IniSettingsStore::DefaultPath().startsWith("relative"));
    qputenv("XDG_CONFIG_HOME", saved);
}

TEST(StartupSettings, ReadsTheThreeValuesWithTheirRules) {
    struct Row {
        QByteArray ini;
        QString port;
        bool enabled;
        int percent;
        QString error;
    };
    const Row rows[] = {
        {"", "COM1", false, 5, ""},  // first run
        {"[MK-Vorta-Tester]\nCOM-Port=/dev/ttyUSB0\nEN=1\nPogr=3\n", "/dev/ttyUSB0", true, 3, ""},
        {"[MK-Vorta-Tester]\nEN=yes\n", "COM1", false, 5, ""},
        {"[MK-Vorta-Tester]\nEN=2\nPogr=300\n", "COM1", false, 44, ""},  // low 8 bits
        {"[MK-Vorta-Tester]\nPogr=-1\n", "COM1", false, 255, ""},
        {"[MK-Vorta-Tester]\nCOM-Port=COM9\nPogr=5%\n", "COM9", false, 5, "'5%' is not a valid integer value"},
    };
    for (const Row& row : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.ini"));
        if (!row.ini.isEmpty()) {
            WriteFile(path, row.ini);
        }
        const StartupSettings s = StartupSettings::Read(IniSettingsStore(path));
        EXPECT_EQ(s.portName, row.port) << row.ini.constData();
        EXPECT_EQ(s.fluctuationEnabled, row.enabled) << row.ini.constData();
        EXPECT_EQ(s.fluctuationPercent, row.percent) << row.ini.constData();
        EXPECT_EQ(s.error, row.error) << row.ini.constData();
    }
}
