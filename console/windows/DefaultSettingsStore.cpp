#include "console/SettingsStore.h"

#include "console/windows/RegistrySettingsStore.h"

std::unique_ptr<SettingsStore> SettingsStore::OpenDefault() {
    return std::make_unique<RegistrySettingsStore>();
}
