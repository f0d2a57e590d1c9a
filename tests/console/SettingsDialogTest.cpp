#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <tuple>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "support/TextFile.h"

#include "settings/IniSettingsStore.h"
#include "monitorview/MonitorWindow.h"
#include "console/TForm1.h"
#include "console/TForm2.h"

namespace {

// A settings dialog on a store in a temporary directory.
struct DialogBench {
    QTemporaryDir dir;
    QString iniPath = dir.filePath(QStringLiteral("cfg/MK-Vorta-Tester_Registrids.ini"));
    IniSettingsStore store{iniPath};
    QStringList messages;
    TForm2 form{store, MessageReporter([this](const QString& m) { messages << m; }), nullptr,
                dir.filePath(QStringLiteral("dev"))};

    QComboBox* Ports() { return form.findChild<QComboBox*>("ComboBox1"); }
    QCheckBox* Fluctuation() { return form.findChild<QCheckBox*>("CheckBox1"); }
    QLineEdit* Percent() { return form.findChild<QLineEdit*>("Edit1"); }
    QSpinBox* Spin(const char* time) { return form.findChild<QSpinBox*>(QStringLiteral("SpinBox") + time); }
    QCheckBox* Obd(const char* type) { return form.findChild<QCheckBox*>(QStringLiteral("CheckBoxObd") + type); }
    QCheckBox* Real(const char* t) { return form.findChild<QCheckBox*>(QStringLiteral("CheckBoxRealFraming") + t); }
    void Press(const char* button) { QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton); }
    QString Stored(const QString& name) { return store.ReadString("MK-Vorta-Tester", name, "-"); }

    // What the dialog shows and what the store holds ("-": not stored), on one line each: port,
    // fluctuation, percentage, reply times, the types ticked for OBD-II and for real framing.
    QString Shown() {
        QStringList obd, real;
        for (const EcuVariant v : kEcuVariants) {
            if (Obd(ShortName(v))->isChecked()) obd << ShortName(v);
            if (Real(ShortName(v))->isChecked()) real << ShortName(v);
        }
        return Line({Ports()->currentText(), QString::number(Fluctuation()->isChecked()), Percent()->text(),
                     QString::number(Spin("P2")->value()),
                     QString::number(Spin("P1")->value()), obd.join(','), real.join(',')});
    }
    QString StoredLine() {
        QStringList obd, real;
        for (const EcuVariant v : kEcuVariants) {
            obd << Stored(QStringLiteral("OBD-") + ShortName(v));
            real << Stored(QStringLiteral("RealFraming-") + ShortName(v));
        }
        return Line({Stored("COM-Port"), Stored("EN"), Stored("Pogr"), Stored("P2"), Stored("P1"), obd.join(""),
                     real.join("")});
    }
    QString Line(const QStringList& f) {
        return QStringLiteral("%1 EN%2 %3 P2=%4 P1=%5 obd:%6 real:%7")
            .arg(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
    }
};

// The stored settings, what the dialog shows of them, what the operator does, and what is stored
// after OK (or Cancel). A refused OK stores nothing, says why and keeps the dialog open.
TEST(TForm2, DialogShowsTheStoreAndOkWritesItBack) {
    using Act = std::function<void(DialogBench&)>;
    auto click = [](std::vector<const char*> boxes, bool obd) {
        return Act([=](DialogBench& b) {
            for (const char* type : boxes) QTest::mouseClick(obd ? b.Obd(type) : b.Real(type), Qt::LeftButton);
        });
    };
    auto percent = [](const char* text) { return Act([=](DialogBench& b) { b.Percent()->setText(text); }); };
    const Act fluctuation = [](DialogBench& b) { QTest::mouseClick(b.Fluctuation(), Qt::LeftButton); };
    const QString kFirstRun = "COM1 EN0 5 P2=0 P1=0 obd:B7,b17 real:";
    const QString kNothing = "- EN- - P2=- P1=- obd:------ real:------";
    // stored before, shown, what the operator does, the button, stored after, the message said
    const std::tuple<QByteArray, QString, Act, const char*, QString, const char*> rows[] = {
        {"OBD-B7=maybe\nOBD-Ja7=1\n", "COM1 EN0 5 P2=0 P1=0 obd:Ja7,B7,b17 real:", click({"b17", "BMP"}, true),
         "BitBtn1", "COM1 EN0 5 P2=0 P1=0 obd:001110 real:000000", ""},
        {"", kFirstRun, click({"b17", "BMP"}, true), "BitBtn2", kNothing, ""},  // Cancel stores nothing
        // The first OK makes the configuration folder.
        {"", kFirstRun, fluctuation, "BitBtn1", "COM1 EN1 5 P2=0 P1=0 obd:000101 real:000000", ""},
        // A stored port outside the list is kept, and an empty one stays empty.
        {"COM-Port=COM9\n", "COM9 EN0 5 P2=0 P1=0 obd:B7,b17 real:", fluctuation, "BitBtn1",
         "COM9 EN1 5 P2=0 P1=0 obd:000101 real:000000", ""},
        {"COM-Port=\n", " EN0 5 P2=0 P1=0 obd:B7,b17 real:", fluctuation, "BitBtn1",
         " EN1 5 P2=0 P1=0 obd:000101 real:000000", ""},
        // Reply times: a bad stored one shows as 0; the preset fills in the standard's timing.
        {"P2=40\nP1=7\n", "COM1 EN0 5 P2=40 P1=7 obd:B7,b17 real:", [](DialogBench& b) { b.Press("ButtonIso14230"); },
         "BitBtn1", "COM1 EN0 5 P2=25 P1=0 obd:000101 real:000000", ""},
        {"P2=9000\nP1=x\n", "COM1 EN0 5 P2=0 P1=0 obd:B7,b17 real:", {}, "BitBtn1",
         "COM1 EN0 5 P2=0 P1=0 obd:000101 real:000000", ""},
        {"RealFraming-Ja7=1\n", "COM1 EN0 5 P2=0 P1=0 obd:B7,b17 real:Ja7", click({"Ja7", "b17"}, false), "BitBtn1",
         "COM1 EN0 5 P2=0 P1=0 obd:000101 real:000001", ""},
        {"", kFirstRun, percent("abc"), "BitBtn1", kNothing, "от 0 до 100"},
        {"", kFirstRun, percent("101"), "BitBtn1", kNothing, "от 0 до 100"},
        // A plain file where the configuration folder goes.
        {"", kFirstRun, [](DialogBench& b) { WriteFile(b.dir.filePath(QStringLiteral("cfg")), ""); }, "BitBtn1",
         kNothing, "Failed to create key MK-Vorta-Tester"},
    };
    for (const auto& [ini, shown, act, button, storedAfter, message] : rows) {
        SCOPED_TRACE(ini.constData() + std::string(" ") + message);
        DialogBench b;
        if (!ini.isEmpty()) {
            QDir(b.dir.path()).mkpath(QStringLiteral("cfg"));
            WriteFile(b.iniPath, "[MK-Vorta-Tester]\n" + ini);
        }
        int stored = 0;
        QObject::connect(&b.form, &TForm2::Stored, [&stored] { ++stored; });
        b.form.LoadAndShow();
        EXPECT_EQ(b.Shown(), shown);
        if (act) act(b);
        b.Press(button);
        const bool refused = *message != '\0';
        EXPECT_EQ(stored, !refused && button == std::string("BitBtn1"));
        EXPECT_EQ(b.form.isVisible(), refused);
        EXPECT_EQ(b.messages, refused ? QStringList{b.messages.value(0)} : QStringList{});
        EXPECT_TRUE(b.messages.value(0).contains(QString::fromUtf8(message))) << b.messages.value(0).toStdString();
        EXPECT_EQ(b.StoredLine(), storedAfter);
    }
}

// The slow-init boxes and the OBD-II protocols show what is stored and OK writes them back; a
// choice of no protocol at all is refused.
TEST(TForm2, SlowInitAndObdProtocolsRoundTrip) {
    DialogBench b;
    QDir(b.dir.path()).mkpath(QStringLiteral("cfg"));
    WriteFile(b.iniPath, "[MK-Vorta-Tester]\nSlowInit-BMP=1\nOBD-Protocols=slow\n");
    b.form.LoadAndShow();
    auto box = [&](const QString& name) { return b.form.findChild<QCheckBox*>(name); };
    EXPECT_TRUE(box("CheckBoxSlowInitBMP")->isChecked());
    EXPECT_FALSE(box("CheckBoxSlowInitB7")->isChecked());
    EXPECT_FALSE(box("CheckBoxObdFast")->isChecked());
    EXPECT_TRUE(box("CheckBoxObdSlow")->isChecked());
    box("CheckBoxSlowInitB7")->click();
    box("CheckBoxObdSlow")->click();
    b.Press("BitBtn1");
    EXPECT_EQ(b.messages.size(), 1);
    EXPECT_TRUE(b.form.isVisible());
    box("CheckBoxObdIso9141")->click();
    b.Press("BitBtn1");
    EXPECT_EQ(b.messages.size(), 1);
    EXPECT_EQ(b.Stored("SlowInit-B7") + b.Stored("SlowInit-BMP") + b.Stored("SlowInit-Ja5"), "110");
    EXPECT_EQ(b.Stored("OBD-Protocols"), "iso9141");
}

// Start-up says once that it runs on defaults; the monitor's place is not stored over the file
// either, and the dialog's OK says the settings were not stored.
TEST(TForm1, SaysOnceThatItWillNotSaveOverAnUnreadableFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    const QByteArray foreign = "not settings at all\n\xff\xfe";
    WriteFile(path, foreign);
    ConsoleOptions options;
    options.portOverride = dir.filePath(QStringLiteral("no-such-port"));
    QStringList messages;
    options.messageSink = [&](const QString& m) { messages << m; };
    TForm1 form(options, std::make_unique<IniSettingsStore>(path));
    EXPECT_EQ(messages.filter("will not save over that file").size(), 1) << messages.join('|').toStdString();
    form.ShowMonitor()->hide();
    TForm2 dialog(form.Store(), MessageReporter([&](const QString& m) { messages << m; }));
    dialog.LoadAndShow();
    QTest::mouseClick(dialog.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(messages.filter("could not be stored").size(), 1) << messages.join('|').toStdString();
    EXPECT_EQ(messages.filter("will not save over that file").size(), 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(ReadBytes(path), foreign);
}

}  // namespace
