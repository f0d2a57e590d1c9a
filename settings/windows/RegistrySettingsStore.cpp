#include "settings/windows/RegistrySettingsStore.h"

#include <QSettings>

namespace {

const QString kKey = QStringLiteral("HKEY_CURRENT_USER\\MK-Vorta-Tester_Registrids");

}  // namespace

QString RegistrySettingsStore::ReadString(const QString& section, const QString& name, const QString& def) const {
    const QSettings registry(kKey, QSettings::NativeFormat);
    return registry.value(section + QLatin1Char('/') + name, def).toString();
}

void RegistrySettingsStore::WriteString(const QString& section, const QString& name, const QString& value) {
    QSettings registry(kKey, QSettings::NativeFormat);
    registry.setValue(section + QLatin1Char('/') + name, value);
    registry.sync();
    if (registry.status() != QSettings::NoError) {
        throw SettingsStoreError(QStringLiteral("Failed to set data for '%1'").arg(name));
    }
}
