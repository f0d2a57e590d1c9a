#include "settings/StoredSettings.h"

#include "protocol/EcuVariant.h"
#include "settings/SettingsStore.h"

namespace StoredSettings {

std::optional<std::int32_t> ParseInteger(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

QString RealFramingKey(EcuVariant variant) {
    return QStringLiteral("RealFraming-") + QLatin1String(ShortName(variant));
}

QString SlowInitKey(EcuVariant variant) {
    return QStringLiteral("SlowInit-") + QLatin1String(ShortName(variant));
}

}  // namespace StoredSettings

namespace {

// A stored reply time, or 0 with a message for the operator.
int ReadReplyTime(const SettingsStore& store, const QString& key, int max, QStringList& errors) {
    using namespace StoredSettings;
    const QString text = store.ReadString(kSection, key, kDefaultReplyTime);
    const auto ms = ParseInteger(text);
    if (!ms) {
        errors << QStringLiteral("'%1' is not a valid integer value for %2; 0 ms is used.").arg(text, key);
        return 0;
    }
    if (*ms < 0 || *ms > max) {
        errors << QStringLiteral("%2 = %1 is outside 0 to %3 ms; 0 ms is used.").arg(text.trimmed(), key).arg(max);
        return 0;
    }
    return *ms;
}

}  // namespace

StartupSettings StartupSettings::Read(const SettingsStore& store) {
    using namespace StoredSettings;
    StartupSettings s;
    s.portName = store.ReadString(kSection, kPortName, kDefaultPortName);
    s.fluctuationEnabled =
        FluctuationEnabledFromText(store.ReadString(kSection, kFluctuationEnabled, kDefaultFluctuationEnabled));
    s.timing.p2Ms = ReadReplyTime(store, kReplyP2, ReplyTiming::kMaxP2Ms, s.timingErrors);
    s.timing.p1Ms = ReadReplyTime(store, kReplyP1, ReplyTiming::kMaxP1Ms, s.timingErrors);
    for (const EcuVariant type : kEcuVariants) {
        if (RealFramingFromText(store.ReadString(kSection, RealFramingKey(type), kDefaultRealFraming))) {
            s.framing.Set(type, ReplyFraming::Real);
        }
    }
    for (const EcuVariant type : kEcuVariants) {
        s.slowInit.Set(type, store.ReadString(kSection, SlowInitKey(type), kDefaultSlowInit) == QLatin1String("1"));
    }
    const QString protocols = store.ReadString(kSection, kObdProtocols, kDefaultObdProtocols);
    if (const auto parsed = ObdProtocols::Parse(protocols.trimmed().toStdString())) {
        s.obdProtocols = *parsed;
    } else {
        s.obdProtocolsError = QStringLiteral("'%1' is not a valid value of %2 (a list of fast, slow and iso9141); "
                                             "fast is used.")
                                  .arg(protocols, kObdProtocols);
    }
    const QString percentText = store.ReadString(kSection, kFluctuationPercent, kDefaultFluctuationPercent);
    if (const auto percent = ParseInteger(percentText)) {
        // Older stores may hold any integer; the percentage keeps its low 8 bits (300 gives 44).
        s.fluctuationPercent = static_cast<std::uint8_t>(static_cast<std::uint32_t>(*percent) & 0xFFu);
    } else {
        s.error = QStringLiteral("'%1' is not a valid integer value").arg(percentText);
    }
    return s;
}
