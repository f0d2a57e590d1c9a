#include "settings/SettingsStore.h"

#include "settings/IniSettingsStore.h"

std::unique_ptr<SettingsStore> SettingsStore::OpenDefault() {
    return std::make_unique<IniSettingsStore>(IniSettingsStore::DefaultPath());
}
