#pragma once
// The system's serial ports, in the system's order. Tests replace the source
// with pseudo-terminal ports.

#include <QList>
#include <QString>
#include <functional>

namespace platform {

struct SerialPortEntry {
  QString name;      // shown to the user and remembered ("ttyUSB0")
  QString location;  // what the serial control opens ("/dev/ttyUSB0")
};

// Queries the system now (QSerialPortInfo unless a test source is set).
QList<SerialPortEntry> SystemSerialPorts();

using PortSource = std::function<QList<SerialPortEntry>()>;
// Replaces the system query; an empty function restores it.
void SetPortSourceForTesting(PortSource source);

}  // namespace platform
