#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "QtPrinters.h"
#include <ostream>

#include "settings/IniSettingsStore.h"
#include "settings/StoredSettings.h"
#include "console/TForm2.h"

void PrintTo(const ReplyTiming& t, std::ostream* os) {
    *os << "P2 " << t.p2Ms << " P1 " << t.p1Ms;
}

namespace {

using V = EcuVariant;

StartupSettings ReadFrom(const QByteArray& ini) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(ini);
    f.close();
    return StartupSettings::Read(IniSettingsStore(path));
}

// Absent keys keep every type compact; only "1" turns one real, as "EN" does.
TEST(LineSettings, RealFramingIsReadPerType) {
    struct Row {
        QByteArray ini;
        std::vector<V> real;
    };
    const Row rows[] = {
        {"", {}},
        {"[MK-Vorta-Tester]\nEN=1\n", {}},
        {"[MK-Vorta-Tester]\nRealFraming-Ja7=1\n", {V::Ja7}},
        {"[MK-Vorta-Tester]\nrealframing-b17=1\nRealFraming-B7=yes\nRealFraming-B1=0\n", {V::b17}},
        {"[Other]\nRealFraming-Ja5=1\n[MK-Vorta-Tester]\nRealFraming-Ja5=2\nRealFraming-BMP=1\n", {V::BMP}},
    };
    for (const Row& row : rows) {
        const StartupSettings s = ReadFrom(row.ini);
        FramingByType expected;
        for (const V v : row.real) expected.Set(v, ReplyFraming::Real);
        EXPECT_TRUE(s.framing == expected) << row.ini.constData();
        EXPECT_TRUE(s.error.isEmpty()) << row.ini.constData();
    }
}

// Absent keys answer as soon as possible; a bad stored time is reported and 0 is used for it,
// the other time and the rest of the settings kept.
TEST(LineSettings, ReplyTimesAreReadWithTheirRanges) {
    struct Row {
        QByteArray ini;
        ReplyTiming timing;
        QStringList errors;
    };
    const Row rows[] = {
        {"", {0, 0}, {}},
        {"[MK-Vorta-Tester]\nPogr=7\n", {0, 0}, {}},
        {"[MK-Vorta-Tester]\nP2=25\nP1=0\n", {25, 0}, {}},
        {"[MK-Vorta-Tester]\np2= 5000 \nP1=20\n", {5000, 20}, {}},
        {"[MK-Vorta-Tester]\nP2=abc\nP1=5\n", {0, 5}, {"'abc' is not a valid integer value for P2; 0 ms is used."}},
        {"[MK-Vorta-Tester]\nP2=5001\nP1=21\n",
         {0, 0},
         {"P2 = 5001 is outside 0 to 5000 ms; 0 ms is used.", "P1 = 21 is outside 0 to 20 ms; 0 ms is used."}},
        {"[MK-Vorta-Tester]\nP2=-1\nP1=2.5\nPogr=x\n",
         {0, 0},
         {"P2 = -1 is outside 0 to 5000 ms; 0 ms is used.", "'2.5' is not a valid integer value for P1; 0 ms is used."}},
    };
    for (const Row& row : rows) {
        const StartupSettings s = ReadFrom(row.ini);
        EXPECT_EQ(s.timing, row.timing) << row.ini.constData();
        EXPECT_EQ(s.timingErrors, row.errors) << row.ini.constData();
    }
    EXPECT_EQ(ReadFrom("[MK-Vorta-Tester]\nP2=-1\nPogr=x\n").error, "'x' is not a valid integer value");
}

// The dialog shows the stored times (a bad one as 0), the preset sets the standard's default
// timing, and OK stores both.
TEST(LineSettings, DialogRoundTripOfTheReplyTimes) {
    struct Row {
        QByteArray ini;
        int shownP2, shownP1;
        bool preset;
        const char* storedP2;
        const char* storedP1;
    };
    const Row rows[] = {
        {"", 0, 0, false, "0", "0"},
        {"[MK-Vorta-Tester]\nP2=40\nP1=7\n", 40, 7, false, "40", "7"},
        {"[MK-Vorta-Tester]\nP2=40\nP1=7\n", 40, 7, true, "25", "0"},
        {"[MK-Vorta-Tester]\nP2=9000\nP1=x\n", 0, 0, false, "0", "0"},
    };
    for (const Row& row : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.ini"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(row.ini);
        f.close();
        IniSettingsStore store(path);
        QStringList messages;
        TForm2 form(store, MessageReporter([&](const QString& m) { messages << m; }), nullptr, dir.filePath("dev"));
        form.LoadAndShow();
        auto* p2 = form.findChild<QSpinBox*>("SpinBoxP2");
        auto* p1 = form.findChild<QSpinBox*>("SpinBoxP1");
        ASSERT_TRUE(p2 && p1);
        EXPECT_EQ(p2->value(), row.shownP2) << row.ini.constData();
        EXPECT_EQ(p1->value(), row.shownP1) << row.ini.constData();
        EXPECT_EQ(p2->maximum(), 5000);
        EXPECT_EQ(p1->maximum(), 20);
        if (row.preset) {
            QTest::mouseClick(form.findChild<QPushButton*>("ButtonIso14230"), Qt::LeftButton);
            EXPECT_TRUE(form.isVisible());  // the preset only fills the fields
        }
        QTest::mouseClick(form.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_EQ(store.ReadString("MK-Vorta-Tester", "P2", "?"), row.storedP2) << row.ini.constData();
        EXPECT_EQ(store.ReadString("MK-Vorta-Tester", "P1", "?"), row.storedP1) << row.ini.constData();
    }
}

// The dialog shows what is stored, writes each type's key on OK, and start-up reads it back.
TEST(LineSettings, DialogRoundTripOfTheFramingKeys) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    IniSettingsStore store(path);
    store.WriteString("MK-Vorta-Tester", "RealFraming-Ja7", "1");
    QStringList messages;
    TForm2 form(store, MessageReporter([&](const QString& m) { messages << m; }), nullptr, dir.filePath("dev"));
    form.LoadAndShow();
    auto box = [&](const char* type) {
        return form.findChild<QCheckBox*>(QStringLiteral("CheckBoxRealFraming") + QLatin1String(type));
    };
    for (const char* type : {"Ja5", "B1", "Ja7", "B7", "BMP", "b17"}) {
        ASSERT_NE(box(type), nullptr) << type;
        EXPECT_EQ(box(type)->isChecked(), QLatin1String(type) == QLatin1String("Ja7")) << type;
    }
    QTest::mouseClick(box("Ja7"), Qt::LeftButton);
    QTest::mouseClick(box("b17"), Qt::LeftButton);
    QTest::mouseClick(form.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(store.ReadString("MK-Vorta-Tester", "RealFraming-Ja7", "?"), "0");
    EXPECT_EQ(store.ReadString("MK-Vorta-Tester", "RealFraming-b17", "?"), "1");
    FramingByType expected;
    expected.Set(V::b17, ReplyFraming::Real);
    EXPECT_TRUE(StartupSettings::Read(store).framing == expected);
}

}  // namespace
