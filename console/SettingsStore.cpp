#include "console/SettingsStore.h"

#include "console/IniSettingsStore.h"
#include "console/RegistrySettingsStore.h"

std::unique_ptr<SettingsStore> SettingsStore::OpenDefault() {
#ifdef Q_OS_WIN
    return std::make_unique<RegistrySettingsStore>();
#else
    return std::make_unique<IniSettingsStore>(IniSettingsStore::DefaultPath());
#endif
}
