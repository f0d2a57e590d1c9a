#pragma once

#include <QRect>
#include <optional>

class SettingsStore;

// Where the monitor window was left, kept in the settings beside the stored settings under
// a key of its own ("MonitorGeometry", "x,y,width,height"); other keys stay as they are.
namespace MonitorGeometry {

// Nothing when the key is missing or does not hold four numbers with a usable size.
std::optional<QRect> Read(const SettingsStore& store);
void Write(SettingsStore& store, const QRect& rect);

}  // namespace MonitorGeometry
