#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "support/MessageOf.h"
#include "support/QtPrinters.h"
#include "support/TextFile.h"

#include "settings/IniSettingsStore.h"
#include "settings/MonitorGeometry.h"
#include "settings/ObdSettings.h"
#include "settings/StoredSettings.h"

namespace {

// Everything start-up reads from the stored settings, on one line: port, fluctuation, reply
// times, the types framed for real and those answering OBD-II, then each message.
QString StartupFrom(const QByteArray& ini) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    if (!ini.isEmpty()) WriteFile(path, ini);
    const IniSettingsStore store(path);
    const StartupSettings s = StartupSettings::Read(store);
    const ObdSettings::Stored obd = ObdSettings::Read(store);
    QStringList real, withObd;
    for (const EcuVariant v : kEcuVariants) {
        if (s.framing.For(v) == ReplyFraming::Real) real << ShortName(v);
        if (obd.enabled.For(v)) withObd << ShortName(v);
    }
    QStringList line{s.portName, QStringLiteral("EN%1 Pogr%2").arg(s.fluctuationEnabled).arg(s.fluctuationPercent),
                     QStringLiteral("P2=%1 P1=%2").arg(s.timing.p2Ms).arg(s.timing.p1Ms),
                     "real:" + real.join(','), "obd:" + withObd.join(',')};
    // Slow init only where it differs from the default: every type off, fast init alone.
    QStringList slow;
    for (const EcuVariant v : kEcuVariants) {
        if (s.slowInit.For(v)) slow << ShortName(v);
    }
    if (!slow.isEmpty()) line << "slow:" + slow.join(',');
    if (s.obdProtocols != ObdProtocols{}) line << "obd-protocols:" + QString::fromStdString(s.obdProtocols.Text());
    for (const QString& error : QStringList{s.error} + s.timingErrors + obd.errors + QStringList{s.obdProtocolsError}) {
        if (!error.isEmpty()) line << "| " + error;
    }
    return line.join(' ');
}

// The stored text and what start-up makes of it: absent keys take their defaults, a bad value
// is reported and its default used, the other values kept.
TEST(StoredSettings, IniTextBecomesTheStartupSettings) {
    const QString kDefaults = "P2=0 P1=0 real: obd:B7,b17";  // Euro-3 and Euro-4 carry OBD-II
    const QString kFirstRun = "COM1 EN0 Pogr5 " + kDefaults;
    const QByteArray own = "[MK-Vorta-Tester]\n";
    const std::pair<QByteArray, QString> rows[] = {
        {"", kFirstRun},
        {own + "COM-Port=/dev/ttyUSB0\nEN=1\nPogr=3\n", "/dev/ttyUSB0 EN1 Pogr3 " + kDefaults},
        {own + "EN=yes\n", kFirstRun},
        {own + "EN=2\nPogr = 300\n", "COM1 EN0 Pogr44 " + kDefaults},  // low 8 bits
        {own + "Pogr=-1\n", "COM1 EN0 Pogr255 " + kDefaults},
        {own + "Pogr=-2147483648\n", "COM1 EN0 Pogr0 " + kDefaults},
        {own + "Pogr=2147483647\n", "COM1 EN0 Pogr255 " + kDefaults},
        {own + "Pogr=2147483648\n", kFirstRun + " | '2147483648' is not a valid integer value"},
        {own + "COM-Port=COM9\nPogr=5%\n", "COM9 EN0 Pogr5 " + kDefaults + " | '5%' is not a valid integer value"},
        // Framing: only "1" turns a type real, as "EN" does; names without case.
        {own + "RealFraming-Ja7=1\n", "COM1 EN0 Pogr5 P2=0 P1=0 real:Ja7 obd:B7,b17"},
        {own + "realframing-b17=1\nRealFraming-B7=yes\nRealFraming-B1=0\n",
         "COM1 EN0 Pogr5 P2=0 P1=0 real:b17 obd:B7,b17"},
        {"[Other]\nRealFraming-Ja5=1\nOBD-B7=0\n" + own + "RealFraming-Ja5=2\nRealFraming-BMP=1\n",
         "COM1 EN0 Pogr5 P2=0 P1=0 real:BMP obd:B7,b17"},
        // Reply times with their ranges; a bad one is 0, the other kept.
        {own + "p2= 5000 \nP1=20\n", "COM1 EN0 Pogr5 P2=5000 P1=20 real: obd:B7,b17"},
        {own + "P2=abc\nP1=5\n",
         "COM1 EN0 Pogr5 P2=0 P1=5 real: obd:B7,b17 | 'abc' is not a valid integer value for P2; 0 ms is used."},
        {own + "P2=5001\nP1=21\n", kFirstRun + " | P2 = 5001 is outside 0 to 5000 ms; 0 ms is used. | "
                                                "P1 = 21 is outside 0 to 20 ms; 0 ms is used."},
        {own + "P2=2147483648\nP1=-2147483649\n",  // beyond a 32-bit integer
         kFirstRun + " | '2147483648' is not a valid integer value for P2; 0 ms is used. | "
                     "'-2147483649' is not a valid integer value for P1; 0 ms is used."},
        {own + "P2=-1\nP1=2.5\nPogr=x\n", kFirstRun + " | 'x' is not a valid integer value | P2 = -1 is outside 0 "
                                                       "to 5000 ms; 0 ms is used. | '2.5' is not a valid integer "
                                                       "value for P1; 0 ms is used."},
        // OBD-II one per type.
        {own + "OBD-Ja5=1\nOBD-B7=0\nobd-bmp= 1 \n", "COM1 EN0 Pogr5 P2=0 P1=0 real: obd:Ja5,BMP,b17"},
        {own + "OBD-B1=yes\nOBD-b17=\n", kFirstRun + " | 'yes' is not a valid value of OBD-B1 (0 or 1); 0 is used | "
                                                     "'' is not a valid value of OBD-b17 (0 or 1); 1 is used"},
        // Slow init per type ("1" only) and the OBD-II protocols as a list.
        {own + "SlowInit-B7=1\nSlowInit-Ja5=yes\nOBD-Protocols=iso9141,fast\n",
         kFirstRun + " slow:B7 obd-protocols:fast,iso9141"},
        {own + "OBD-Protocols=fast;slow\n", kFirstRun + " | 'fast;slow' is not a valid value of OBD-Protocols (a "
                                                         "list of fast, slow and iso9141); fast is used."},
    };
    for (const auto& [ini, startup] : rows) {
        EXPECT_EQ(StartupFrom(ini), startup) << ini.constData();
    }
}

// Lines of other programs (their keys of our names too), comments, CR LF ends, text that is not
// UTF-8 and a last line without its end keep their bytes; only the values written change, all of
// them in one write, and a second write replaces them.
TEST(IniSettingsStore, KeepsEveryLineItDoesNotWriteByteForByte) {
    const std::pair<QByteArray, QByteArray> rows[] = {  // before, and after storing EN=1 and P2=25 in one write
        {"; \xcf\xf0\xee\xe1\xe0 cp1251\n[Other]\nName=\xc2\xee\xf0\xf2\xe0 \xff\n[MK-Vorta-Tester]\nEN=0\n\n[Last]\nx = y",
         "; \xcf\xf0\xee\xe1\xe0 cp1251\n[Other]\nName=\xc2\xee\xf0\xf2\xe0 \xff\n[MK-Vorta-Tester]\nEN=1\nP2=25\n\n[Last]\nx = y"},
        {"[MK-Vorta-Tester]\r\nCOM-Port=COM3\r\nEN=0\r\n", "[MK-Vorta-Tester]\r\nCOM-Port=COM3\r\nEN=1\r\nP2=25\r\n"},
        {"[Other]\nEN=0\nunknown line \x80\x81",
         "[Other]\nEN=0\nunknown line \x80\x81\n[MK-Vorta-Tester]\nEN=1\nP2=25\n"},
        {"\n\n", "\n\n[MK-Vorta-Tester]\nEN=1\nP2=25\n"},
    };
    for (const auto& [before, after] : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.ini"));
        WriteFile(path, before);
        IniSettingsStore store(path);
        EXPECT_TRUE(store.Refusal().isEmpty()) << before.toHex().constData();
        for (int write = 0; write < 2; ++write) {
            store.WriteStrings({{"MK-Vorta-Tester", "EN", "1"}, {"MK-Vorta-Tester", "P2", "25"}});
        }
        EXPECT_EQ(ReadBytes(path), after) << before.toHex().constData();
    }
}

// A file that cannot be read, or holds no section, may be another program's or a damaged copy:
// it reads as defaults and is never written over.
TEST(IniSettingsStore, LeavesAFileItCannotReadWhole) {
    const std::pair<QByteArray, const char*> rows[] = {  // content (empty: a folder stands there), reason
        {QByteArray("\x89PNG\r\n\x1a\n\0\0COM-Port=COM3\n", 24), "holds no section"},
        {"COM-Port=COM3\nEN=1\n", "holds no section"},  // values without their section
        {"", "cannot be read"},
    };
    for (const auto& [content, reason] : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.ini"));
        if (content.isEmpty()) {
            ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("s.ini")));
        } else {
            WriteFile(path, content);
        }
        IniSettingsStore store(path);
        EXPECT_EQ(store.ReadString("MK-Vorta-Tester", "COM-Port", "COM1"), "COM1") << reason;
        EXPECT_TRUE(store.Refusal().contains(QLatin1String(reason))) << store.Refusal().toStdString();
        EXPECT_TRUE(store.Refusal().endsWith("will not save over that file.")) << store.Refusal().toStdString();
        const std::string refusal =
            MessageOf<SettingsStoreError>([&store] { store.WriteStrings({{"MK-Vorta-Tester", "EN", "1"}}); });
        EXPECT_EQ(refusal.rfind("The settings could not be stored: ", 0), 0u) << refusal;
        EXPECT_EQ(ReadBytes(path), content) << reason;
        EXPECT_EQ(QFileInfo(path).isDir(), content.isEmpty());
    }
}

// A write that fails half-way (here the file-size limit stops it) leaves the old file whole.
TEST(IniSettingsStore, FailedWriteLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    const QByteArray before = "[MK-Vorta-Tester]\nEN=0\n";
    WriteFile(path, before);
    IniSettingsStore store(path);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string refusal = MessageOf<SettingsStoreError>([&store] {
        store.WriteStrings({{"MK-Vorta-Tester", "COM-Port", QString(100, QLatin1Char('x'))},
                            {"MK-Vorta-Tester", "EN", "1"}});
    });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(refusal, "Failed to set data for 'COM-Port'");
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"s.ini"});  // no stray copy
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

TEST(MonitorGeometry, WindowPlaceInTheSettings) {
    QTemporaryDir dir;
    IniSettingsStore store(dir.filePath(QStringLiteral("s.ini")));
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, -200, 1280, 1024)};
    EXPECT_FALSE(MonitorGeometry::Read(store, screens));
    MonitorGeometry::Write(store, QRect(-20, 40, 900, 500));
    EXPECT_EQ(MonitorGeometry::Read(store, screens), QRect(-20, 40, 900, 500));
    const struct {
        const char* text;
        bool kept;
    } rows[] = {
        {"1,2,3", false},
        {"a,b,c,d", false},
        {"0,0,50,50", false},
        {"0,0,10001,500", false},
        {"1820,980,900,500", true},        // 100 by 100 on the first screen
        {"1821,980,900,500", false},       // 99 wide on the first, below the second
        {"1821,724,900,500", true},        // 100 high on the second
        {"1821,725,900,500", false},
        {"-801,40,900,500", false},        // 99 pixels wide on the first
        {"100,-1,900,500", false},         // its top edge above the screen
        {"1920,-200,900,500", true},       // the second screen's corner
        {"3101,0,900,500", false},         // right of both
        {"2147483600,0,1000,1000", false}, // its far corner beyond any number
    };
    for (const auto& row : rows) {
        store.WriteString(QStringLiteral("MK-Vorta-Tester"), QStringLiteral("MonitorGeometry"),
                          QString::fromLatin1(row.text));
        EXPECT_EQ(MonitorGeometry::Read(store, screens).has_value(), row.kept) << row.text;
    }
    EXPECT_EQ(store.ReadString(QStringLiteral("MK-Vorta-Tester"), QStringLiteral("COM-Port"), QStringLiteral("none")),
              QStringLiteral("none"));
}

}  // namespace
