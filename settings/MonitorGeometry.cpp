#include "settings/MonitorGeometry.h"

#include <QStringList>

#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"

namespace MonitorGeometry {

namespace {

const QString kKey = QStringLiteral("MonitorGeometry");

}  // namespace

std::optional<QRect> Read(const SettingsStore& store) {
    const QStringList parts = store.ReadString(StoredSettings::kSection, kKey, QString()).split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        const auto n = StoredSettings::ParseInteger(parts[i]);
        if (!n) return std::nullopt;
        v[i] = *n;
    }
    if (v[2] < 100 || v[3] < 100 || v[2] > 10000 || v[3] > 10000) return std::nullopt;
    return QRect(v[0], v[1], v[2], v[3]);
}

void Write(SettingsStore& store, const QRect& rect) {
    store.WriteString(StoredSettings::kSection, kKey,
                      QStringLiteral("%1,%2,%3,%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()));
}

}  // namespace MonitorGeometry
