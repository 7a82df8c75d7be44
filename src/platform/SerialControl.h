#pragma once
// The serial control: one port at a time, 9600 baud, 8 data bits, no parity,
// 1 stop bit, no flow control. Only listens; never writes to the port.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include "platform/ByteSource.h"

namespace platform {

class SerialControl : public QObject, public ByteSource {
  Q_OBJECT
 public:
  explicit SerialControl(QObject* parent = nullptr);
  ~SerialControl() override;

  // The port the next Open uses: a system location ("/dev/ttyUSB0") or a name.
  void setPort(const QString& location);
  QString port() const;

  // Opens the set port; false on failure (errorString() tells why). Modem
  // lines (DTR, RTS) are set best-effort and never stop a port from opening.
  bool Open();
  // Closes the port; harmless when none is open.
  void Close();
  bool isOpen() const;

  // Remembered and applied (best-effort) whenever a port opens.
  void setRequestToSend(bool on);

  // Every received byte now buffered; nothing consumed.
  QByteArray LookAhead() const override;
  // Every received byte now buffered; they leave the buffer.
  QByteArray ReadAll() override;
  qint64 bytesAvailable() const override;

  QString errorString() const;

 Q_SIGNALS:
  // Raised on the user-interface thread when new bytes have arrived.
  void DataAvailable();
  // The open port vanished or failed to read (a pulled USB adapter); the
  // port has been closed by then.
  void PortLost(const QString& port);

 private:
  void onError(QSerialPort::SerialPortError error);
  // Closes a port that failed while open and tells the listeners, once.
  void dropLostPort(quint64 session);

  QSerialPort* port_;
  QString location_;
  QByteArray saved_;       // received before the port was lost, not read yet
  QString error_;          // why the last Open failed or the port was lost
  quint64 session_ = 0;    // counts Opens, so a late loss never closes a newer port
  bool losing_ = false;    // a loss of the current port is being handled
  bool requestToSend_ = false;
};

}  // namespace platform
