#include "platform/PortList.h"

#include <QSerialPortInfo>
#include <utility>

namespace platform {

namespace {

PortSource& TestSource() {
  static PortSource source;
  return source;
}

}  // namespace

QList<SerialPortEntry> SystemSerialPorts() {
  if (TestSource()) return TestSource()();
  QList<SerialPortEntry> ports;
  const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
  ports.reserve(infos.size());
  for (const QSerialPortInfo& info : infos) ports.append({info.portName(), info.systemLocation()});
  return ports;
}

void SetPortSourceForTesting(PortSource source) { TestSource() = std::move(source); }

}  // namespace platform
