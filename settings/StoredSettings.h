#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

#include "settings/FramingByType.h"
#include "protocol/ObdProtocols.h"
#include "protocol/PerVariant.h"
#include "protocol/ReplyTiming.h"
#include "protocol/EcuVariant.h"

class SettingsStore;

// The settings kept between runs, as the store holds them.
namespace StoredSettings {

inline const QString kSection = QStringLiteral("MK-Vorta-Tester");
inline const QString kPortName = QStringLiteral("COM-Port");
inline const QString kFluctuationEnabled = QStringLiteral("EN");
inline const QString kFluctuationPercent = QStringLiteral("Pogr");

inline const QString kDefaultPortName = QStringLiteral("COM1");
inline const QString kDefaultFluctuationEnabled = QStringLiteral("0");
inline const QString kDefaultFluctuationPercent = QStringLiteral("5");

// Reply timing in whole milliseconds: "P2" 0–5000 and "P1" 0–20; absent means 0, as soon as
// possible.
inline const QString kReplyP2 = QStringLiteral("P2");
inline const QString kReplyP1 = QStringLiteral("P1");
inline const QString kDefaultReplyTime = QStringLiteral("0");

// Per controller type: "1" frames its live-data replies as the real controllers do
// ("RealFraming-Ja5" … "RealFraming-b17", named after the toolbar buttons). Absent means off.
QString RealFramingKey(EcuVariant variant);
inline const QString kDefaultRealFraming = QStringLiteral("0");
inline bool RealFramingFromText(const QString& text) {
    return text == QLatin1String("1");
}

// Per controller type: "1" answers a slow init at the type's own address ("SlowInit-Ja5" …
// "SlowInit-b17"). Absent means off.
QString SlowInitKey(EcuVariant variant);
inline const QString kDefaultSlowInit = QStringLiteral("0");

// How OBD-II testers may open the link to the types that answer OBD-II: a comma-separated list
// of fast, slow and iso9141. Absent means fast, as before.
inline const QString kObdProtocols = QStringLiteral("OBD-Protocols");
inline const QString kDefaultObdProtocols = QStringLiteral("fast");

// Fluctuation is on exactly when "EN" holds "1".
inline bool FluctuationEnabledFromText(const QString& text) {
    return text == QLatin1String("1");
}

// A whole number as typed by the operator (blanks around it allowed), within 32 bits.
std::optional<std::int32_t> ParseInteger(const QString& text);

}  // namespace StoredSettings

// What start-up takes from the store.
struct StartupSettings {
    QString portName;
    bool fluctuationEnabled = false;
    std::uint8_t fluctuationPercent = 5;
    FramingByType framing;
    ReplyTiming timing;
    PerVariant<bool> slowInit;  // answered at the type's own address
    ObdProtocols obdProtocols;
    // Set when "Pogr" is not a number: the message for the operator; the percentage is then 5.
    QString error;
    // One message for each stored reply time that is no whole number in its range; that time
    // is then 0.
    QStringList timingErrors;
    // Set when "OBD-Protocols" is no list of fast, slow and iso9141; fast is then used.
    QString obdProtocolsError;

    static StartupSettings Read(const SettingsStore& store);
};
