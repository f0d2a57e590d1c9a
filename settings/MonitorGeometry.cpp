#include "settings/MonitorGeometry.h"

#include <QStringList>

#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"

namespace MonitorGeometry {

namespace {

const QString kKey = QStringLiteral("MonitorGeometry");

}  // namespace

std::optional<QRect> Read(const SettingsStore& store, const QList<QRect>& screens) {
    const QStringList parts = store.ReadString(StoredSettings::kSection, kKey, QString()).split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        const auto n = StoredSettings::ParseInteger(parts[i]);
        if (!n) return std::nullopt;
        v[i] = *n;
    }
    constexpr int kMinSide = 100;
    if (v[2] < kMinSide || v[3] < kMinSide || v[2] > 10000 || v[3] > 10000) return std::nullopt;
    // Far beyond any screen: the rectangle's far corner could not even be computed.
    constexpr int kFarthest = 1'000'000;
    if (v[0] < -kFarthest || v[0] > kFarthest || v[1] < -kFarthest || v[1] > kFarthest) return std::nullopt;
    const QRect place(v[0], v[1], v[2], v[3]);
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(place);
        if (seen.width() >= kMinSide && seen.height() >= kMinSide && seen.top() == place.top()) return place;
    }
    return std::nullopt;
}

void Write(SettingsStore& store, const QRect& rect) {
    store.WriteString(StoredSettings::kSection, kKey,
                      QStringLiteral("%1,%2,%3,%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()));
}

}  // namespace MonitorGeometry
