#include "settings/SettingsStore.h"

void SettingsStore::WriteStrings(const SettingsValues& values) {
    for (const SettingsValue& v : values) {
        WriteString(v.section, v.name, v.value);
    }
}
