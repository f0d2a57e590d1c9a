#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include "console/IniSettingsStore.h"
#include "console/StoredSettings.h"
#include "console/TForm2.h"

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
