#include "settings/CycleTolerances.h"

#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"

namespace CycleTolerances {

namespace {

const QString kDistanceKey = QStringLiteral("CycleToleranceDistance");
const QString kFuelKey = QStringLiteral("CycleToleranceFuel");

double ReadPercent(const SettingsStore& store, const QString& key, double fallback) {
    bool ok = false;
    const double value = store.ReadString(StoredSettings::kSection, key, QString()).toDouble(&ok);
    return ok && Usable(value) ? value : fallback;
}

}  // namespace

bool Usable(double percent) {
    return percent >= 0.01 && percent <= 100;
}

Tolerances Read(const SettingsStore& store) {
    const Tolerances defaults;
    return {ReadPercent(store, kDistanceKey, defaults.distancePct), ReadPercent(store, kFuelKey, defaults.fuelPct)};
}

void Write(SettingsStore& store, const Tolerances& tolerances) {
    store.WriteString(StoredSettings::kSection, kDistanceKey, QString::number(tolerances.distancePct));
    store.WriteString(StoredSettings::kSection, kFuelKey, QString::number(tolerances.fuelPct));
}

}  // namespace CycleTolerances
