#pragma once

#include <QList>
#include <QRect>
#include <optional>

class SettingsStore;

// Where the monitor window was left, kept in the settings beside the stored settings under
// a key of its own ("MonitorGeometry", "x,y,width,height"); other keys stay as they are.
namespace MonitorGeometry {

// Nothing when the key is missing, does not hold four numbers with a usable size (100 to
// 10000 pixels a side), or the place is on none of the screens: a screen must hold at least
// 100 by 100 pixels of it, its top edge included, so that it can be seen and taken by its
// title bar.
std::optional<QRect> Read(const SettingsStore& store, const QList<QRect>& screens);
void Write(SettingsStore& store, const QRect& rect);

}  // namespace MonitorGeometry
