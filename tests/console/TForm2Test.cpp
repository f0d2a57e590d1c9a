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

#include "console/IniSettingsStore.h"
#include "console/TForm2.h"

namespace {

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
            QFile(dir.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly);
        }
    }
    QComboBox* Ports() { return form.findChild<QComboBox*>("ComboBox1"); }
    QCheckBox* Fluctuation() { return form.findChild<QCheckBox*>("CheckBox1"); }
    QLineEdit* Percent() { return form.findChild<QLineEdit*>("Edit1"); }
    void PressOk() { QTest::mouseClick(form.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton); }
    QString Ini() {
        QFile f(iniPath);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QString Stored(const char* name) { return store.ReadString("MK-Vorta-Tester", name, "<none>"); }
};

}  // namespace

TEST(TForm2, FirstRunShowsDefaultsAndOkStoresAllThree) {
    DialogBench b;
    b.form.LoadAndShow();
    EXPECT_EQ(b.Ports()->currentText(), "COM1");
    EXPECT_FALSE(b.Fluctuation()->isChecked());
    EXPECT_EQ(b.Percent()->text(), "5");
    const QString dev = b.dir.filePath(QStringLiteral("dev/"));
    QStringList items;
    for (int i = 0; i < b.Ports()->count(); ++i) {
        items << b.Ports()->itemText(i);
    }
    EXPECT_EQ(items, QStringList({"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", dev + "ttyUSB2",
                                  dev + "ttyUSB10", dev + "ttyACM0",
                                  dev + "serial/by-id/usb-KL_Adapter_A1-if00-port0"}));

    b.Ports()->setCurrentIndex(9);
    QTest::mouseClick(b.Fluctuation(), Qt::LeftButton);
    b.PressOk();
    EXPECT_EQ(b.Ini(), "[MK-Vorta-Tester]\nCOM-Port=" + dev + "ttyUSB10\nEN=1\nPogr=5\n");
    EXPECT_FALSE(b.form.isVisible());
    EXPECT_TRUE(b.messages.isEmpty());
}

TEST(TForm2, BadPercentageIsRefusedAndNothingStored) {
    for (const char* typed : {"abc", "101", "-1", "5.5", ""}) {
        DialogBench b;
        b.form.LoadAndShow();
        b.Percent()->setText(QString::fromLatin1(typed));
        b.PressOk();
        EXPECT_FALSE(QFile::exists(b.iniPath)) << typed;
        EXPECT_TRUE(b.form.isVisible()) << typed;
        ASSERT_EQ(b.messages.size(), 1) << typed;
        EXPECT_TRUE(b.messages[0].contains("от 0 до 100")) << typed;
    }
}

TEST(TForm2, UnwritableStoreIsReportedAndTheDialogStaysOpen) {
    DialogBench b;
    QFile(b.dir.filePath(QStringLiteral("cfg"))).open(QIODevice::WriteOnly);  // a file where the folder goes
    b.form.LoadAndShow();
    b.PressOk();
    EXPECT_EQ(b.messages, QStringList({"Failed to create key MK-Vorta-Tester"}));
    EXPECT_TRUE(b.form.isVisible());
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
        b.PressOk();
        EXPECT_EQ(b.Stored("COM-Port"), row.stored);
        EXPECT_EQ(b.Stored("EN"), "1");
    }
}

TEST(TForm2, LoadingAgainDiscardsWhatWasTypedAndCancelStoresNothing) {
    DialogBench b;
    b.store.WriteString("MK-Vorta-Tester", "Pogr", "7");
    b.form.LoadAndShow();
    b.Percent()->setText("9");
    QTest::mouseClick(b.form.findChild<QPushButton*>("BitBtn2"), Qt::LeftButton);
    EXPECT_FALSE(b.form.isVisible());
    EXPECT_EQ(b.Stored("Pogr"), "7");
    b.form.LoadAndShow();
    EXPECT_EQ(b.Percent()->text(), "7");
}
