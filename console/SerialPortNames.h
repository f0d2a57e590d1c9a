#pragma once

#include <QString>
#include <QStringList>

// Port names the operator can pick: the classic "COM1" … "COM8" and the serial devices
// present now (USB K-line adapters and CDC devices, and their stable by-id names).
namespace SerialPortNames {

QStringList ClassicNames();

// Devices under devRoot: ttyUSB*, ttyACM* (in number order) and serial/by-id/*.
QStringList PresentDevices(const QString& devRoot = QStringLiteral("/dev"));

}  // namespace SerialPortNames
