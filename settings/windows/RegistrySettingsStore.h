#pragma once

#include "settings/SettingsStore.h"

// The settings store in the current user's registry hive on Windows: the key
// HKEY_CURRENT_USER\MK-Vorta-Tester_Registrids with one subkey per section.
class RegistrySettingsStore : public SettingsStore {
public:
    QString ReadString(const QString& section, const QString& name, const QString& def) const override;
    void WriteString(const QString& section, const QString& name, const QString& value) override;
};
