#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include "settings/IniSettingsStore.h"
#include "settings/ObdSettings.h"
#include "settings/StoredSettings.h"
#include "console/TForm2.h"

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

// A settings dialog on a store and a device folder in a temporary directory.
struct DialogBench {
    QTemporaryDir dir;
    QString iniPath = dir.filePath(QStringLiteral("cfg/MK-Vorta-Tester_Registrids.ini"));
    IniSettingsStore store{iniPath};
    QStringList messages;
    TForm2 form{store, MessageReporter([this](const QString& m) { messages << m; }), nullptr,
                dir.filePath(QStringLiteral("dev"))};

    DialogBench() {
        QDir(dir.path()).mkpath(QStringLiteral("dev/serial/by-id"));
        for (const char* name : {"dev/ttyUSB10", "dev/ttyUSB2", "dev/ttyACM0", "dev/ttyS0",
                                 "dev/serial/by-id/usb-KL_Adapter_A1-if00-port0"}) {
            WriteFile(dir.filePath(QString::fromLatin1(name)), "");
        }
    }
    QComboBox* Ports() { return form.findChild<QComboBox*>("ComboBox1"); }
    QCheckBox* Fluctuation() { return form.findChild<QCheckBox*>("CheckBox1"); }
    QLineEdit* Percent() { return form.findChild<QLineEdit*>("Edit1"); }
    QCheckBox* Obd(const char* type) { return form.findChild<QCheckBox*>(QStringLiteral("CheckBoxObd") + type); }
    void Press(const char* button) { QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton); }
    QString Stored(const char* name) { return store.ReadString("MK-Vorta-Tester", name, "<none>"); }
};

}  // namespace

TEST(IniSettingsStore, WritesItsOwnSectionAndKeepsTheRest) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    WriteFile(path, "; bench PC\n[Other]\nEN=1\n\n[MK-Vorta-Tester]\nPogr = 7\n\n[Last]\nx=y\n");
    IniSettingsStore store(path);
    EXPECT_EQ(store.ReadString("MK-Vorta-Tester", "EN", "0"), "0");  // not the other section's
    EXPECT_EQ(store.ReadString("MK-Vorta-Tester", "pogr", "5"), "7");  // names without case
    store.WriteString("MK-Vorta-Tester", "EN", "1");
    store.WriteString("MK-Vorta-Tester", "EN", "0");  // replaced, not appended
    EXPECT_EQ(ReadFile(path), "; bench PC\n[Other]\nEN=1\n\n[MK-Vorta-Tester]\nPogr = 7\nEN=0\n\n[Last]\nx=y\n");
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
        if (!row.ini.isEmpty()) WriteFile(path, row.ini);
        const StartupSettings s = StartupSettings::Read(IniSettingsStore(path));
        EXPECT_EQ(s.portName, row.port) << row.ini.constData();
        EXPECT_EQ(s.fluctuationEnabled, row.enabled) << row.ini.constData();
        EXPECT_EQ(s.fluctuationPercent, row.percent) << row.ini.constData();
        EXPECT_EQ(s.error, row.error) << row.ini.constData();
    }
}

TEST(TForm2, FirstRunShowsDefaultsAndOkWritesTheIniFile) {
    DialogBench b;
    b.form.LoadAndShow();
    EXPECT_EQ(b.Ports()->currentText(), "COM1");
    EXPECT_FALSE(b.Fluctuation()->isChecked());
    EXPECT_EQ(b.Percent()->text(), "5");
    const QString dev = b.dir.filePath(QStringLiteral("dev/"));
    QStringList items;
    for (int i = 0; i < b.Ports()->count(); ++i) items << b.Ports()->itemText(i);
    EXPECT_EQ(items, QStringList({"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", dev + "ttyUSB2",
                                  dev + "ttyUSB10", dev + "ttyACM0",
                                  dev + "serial/by-id/usb-KL_Adapter_A1-if00-port0"}));
    b.Ports()->setCurrentIndex(9);
    QTest::mouseClick(b.Fluctuation(), Qt::LeftButton);
    b.Press("BitBtn1");
    // the configuration folder is made on the first write
    EXPECT_EQ(ReadFile(b.iniPath), "[MK-Vorta-Tester]\nCOM-Port=" + dev + "ttyUSB10\nEN=1\nPogr=5\n"
                                   "OBD-Ja5=0\nOBD-B1=0\nOBD-Ja7=0\nOBD-B7=1\nOBD-BMP=0\nOBD-b17=1\nP2=0\nP1=0\n"
                                   "RealFraming-Ja5=0\nRealFraming-B1=0\nRealFraming-Ja7=0\nRealFraming-B7=0\n"
                                   "RealFraming-BMP=0\nRealFraming-b17=0\n");
    EXPECT_FALSE(b.form.isVisible());
    EXPECT_TRUE(b.messages.isEmpty());
}

TEST(ObdSettings, OnePerTypeWithItsDefaultWhenMissingOrBad) {
    struct Row {
        QByteArray ini;
        ObdSettings::PerVariant enabled;  // Ja5 B1 Ja7 B7 BMP b17
        QStringList errors;
    };
    const Row rows[] = {
        {"", {false, false, false, true, false, true}, {}},  // Euro-3 and Euro-4 carry OBD-II
        {"[MK-Vorta-Tester]\nOBD-Ja5=1\nOBD-B7=0\nobd-bmp= 1 \n", {true, false, false, false, true, true}, {}},
        {"[MK-Vorta-Tester]\nOBD-B1=yes\nOBD-b17=\n",
         {false, false, false, true, false, true},
         {"'yes' is not a valid value of OBD-B1 (0 or 1); 0 is used",
          "'' is not a valid value of OBD-b17 (0 or 1); 1 is used"}},
        {"[Other]\nOBD-B7=0\n", {false, false, false, true, false, true}, {}},
    };
    for (const Row& row : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.ini"));
        if (!row.ini.isEmpty()) WriteFile(path, row.ini);
        const ObdSettings::Stored stored = ObdSettings::Read(IniSettingsStore(path));
        EXPECT_EQ(stored.enabled, row.enabled) << row.ini.constData();
        EXPECT_EQ(stored.errors, row.errors) << row.ini.constData();
    }
}

TEST(TForm2, ObdBoxesLoadAndStoreOnePerType) {
    DialogBench b;
    QDir(b.dir.path()).mkpath(QStringLiteral("cfg"));
    WriteFile(b.iniPath, "[MK-Vorta-Tester]\nOBD-B7=maybe\nOBD-Ja7=1\n");
    int stored = 0;
    QObject::connect(&b.form, &TForm2::Stored, [&stored] { ++stored; });
    b.form.LoadAndShow();
    const std::pair<const char*, bool> loaded[] = {{"Ja5", false}, {"B1", false}, {"Ja7", true},
                                                   {"B7", true},   {"BMP", false}, {"b17", true}};
    for (const auto& [type, on] : loaded) {
        ASSERT_NE(b.Obd(type), nullptr) << type;
        EXPECT_EQ(b.Obd(type)->isChecked(), on) << type;
    }
    EXPECT_EQ(b.Obd("B1")->text(), "Bosch M1.5.4N(Euro-2)");
    QTest::mouseClick(b.Obd("b17"), Qt::LeftButton);
    QTest::mouseClick(b.Obd("BMP"), Qt::LeftButton);
    b.Press("BitBtn2");  // Cancel stores nothing
    EXPECT_EQ(stored, 0);
    EXPECT_EQ(b.Stored("OBD-b17"), "<none>");
    b.form.LoadAndShow();
    QTest::mouseClick(b.Obd("b17"), Qt::LeftButton);
    QTest::mouseClick(b.Obd("BMP"), Qt::LeftButton);
    b.Press("BitBtn1");
    EXPECT_EQ(stored, 1);
    const std::pair<const char*, const char*> written[] = {{"OBD-Ja5", "0"}, {"OBD-B1", "0"}, {"OBD-Ja7", "1"},
                                                           {"OBD-B7", "1"},  {"OBD-BMP", "1"}, {"OBD-b17", "0"}};
    for (const auto& [key, text] : written) {
        EXPECT_EQ(b.Stored(key), text) << key;
    }
    // The boxes show their whole captions and stand below the percentage.
    for (const auto& [type, on] : loaded) {
        EXPECT_GE(b.Obd(type)->width(), b.Obd(type)->sizeHint().width()) << type;
        EXPECT_LE(b.Obd(type)->geometry().right(), b.form.width()) << type;
    }
    EXPECT_GT(b.Obd("Ja5")->geometry().top(), b.Percent()->geometry().bottom());
}

TEST(TForm2, RefusalsStoreNothingAndKeepTheDialogOpen) {
    struct Row {
        const char* percent;
        bool blockFolder;  // a plain file where the configuration folder goes
        const char* message;
    };
    const Row rows[] = {
        {"abc", false, "от 0 до 100"}, {"101", false, "от 0 до 100"}, {"-1", false, "от 0 до 100"},
        {"5.5", false, "от 0 до 100"}, {"", false, "от 0 до 100"},
        {"5", true, "Failed to create key MK-Vorta-Tester"},
    };
    for (const Row& row : rows) {
        DialogBench b;
        if (row.blockFolder) WriteFile(b.dir.filePath(QStringLiteral("cfg")), "");
        b.form.LoadAndShow();
        b.Percent()->setText(QString::fromLatin1(row.percent));
        b.Press("BitBtn1");
        EXPECT_TRUE(ReadFile(b.iniPath).isEmpty()) << row.percent;
        EXPECT_TRUE(b.form.isVisible()) << row.percent;
        ASSERT_EQ(b.messages.size(), 1) << row.percent;
        EXPECT_TRUE(b.messages[0].contains(QString::fromUtf8(row.message))) << b.messages[0].toStdString();
    }
}

TEST(TForm2, StoredPortOutsideTheListIsKeptAndEmptyStaysEmpty) {
    struct Row {
        QString stored;
        QString shown;  // selection after loading
    };
    const Row rows[] = {{"COM9", "COM9"}, {"", ""}, {"COM4", "COM4"}};
    for (const Row& row : rows) {
        DialogBench b;
        b.store.WriteString("MK-Vorta-Tester", "COM-Port", row.stored);
        b.form.LoadAndShow();
        EXPECT_EQ(b.Ports()->currentText(), row.shown);
        QTest::mouseClick(b.Fluctuation(), Qt::LeftButton);  // change only the fluctuation
        b.Press("BitBtn1");
        EXPECT_EQ(b.Stored("COM-Port"), row.stored);
        EXPECT_EQ(b.Stored("EN"), "1");
    }
}
