#include "settings/SettingsStore.h"

#include "settings/windows/RegistrySettingsStore.h"

std::unique_ptr<SettingsStore> SettingsStore::OpenDefault() {
    return std::make_unique<RegistrySettingsStore>();
}
