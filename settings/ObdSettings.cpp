#include "settings/ObdSettings.h"

#include "protocol/EcuVariant.h"
#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"

namespace ObdSettings {

namespace {

QString Text(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

QString Key(EcuVariant variant) {
    return QStringLiteral("OBD-") + QLatin1String(ShortName(variant));
}

bool DefaultFor(EcuVariant variant) {
    return variant == EcuVariant::B7 || variant == EcuVariant::b17;
}

PerVariant Defaults() {
    PerVariant defaults{};
    for (const EcuVariant info : kEcuVariants) {
        defaults.Set(info, DefaultFor(info));
    }
    return defaults;
}

Stored Read(const SettingsStore& store) {
    Stored stored;
    for (const EcuVariant info : kEcuVariants) {
        const bool fallback = DefaultFor(info);
        const QString key = Key(info);
        const QString raw = store.ReadString(StoredSettings::kSection, key, Text(fallback));
        const QString text = raw.trimmed();
        if (text == QLatin1String("1") || text == QLatin1String("0")) {
            stored.enabled.Set(info, text == QLatin1String("1"));
        } else {
            stored.enabled.Set(info, fallback);
            stored.errors << QStringLiteral("'%1' is not a valid value of %2 (0 or 1); %3 is used")
                                 .arg(raw, key, Text(fallback));
        }
    }
    return stored;
}

SettingsValues Values(const PerVariant& enabled) {
    SettingsValues values;
    for (const EcuVariant info : kEcuVariants) {
        values.push_back({StoredSettings::kSection, Key(info), Text(enabled.For(info))});
    }
    return values;
}

}  // namespace ObdSettings
