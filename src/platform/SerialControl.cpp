#include "platform/SerialControl.h"

#include <QMetaObject>
#include <poll.h>

namespace platform {

namespace {

// A hung-up line reads as end of file, for which QSerialPort reports a read
// error carrying a stale system message; the line's own state tells the truth.
bool HungUp(int fd) {
  pollfd line{fd, POLLIN, 0};
  return ::poll(&line, 1, 0) == 1 && (line.revents & POLLHUP) != 0;
}

}  // namespace

SerialControl::SerialControl(QObject* parent) : QObject(parent), port_(new QSerialPort(this)) {
  // The device's line: 9600 baud, 8N1, no flow control. Kept by QSerialPort
  // and applied whenever a port opens.
  port_->setBaudRate(QSerialPort::Baud9600);
  port_->setDataBits(QSerialPort::Data8);
  port_->setParity(QSerialPort::NoParity);
  port_->setStopBits(QSerialPort::OneStop);
  port_->setFlowControl(QSerialPort::NoFlowControl);
  connect(port_, &QSerialPort::readyRead, this, &SerialControl::DataAvailable);
  connect(port_, &QSerialPort::errorOccurred, this, &SerialControl::onError);
}

SerialControl::~SerialControl() { Close(); }

void SerialControl::setPort(const QString& location) { location_ = location; }

QString SerialControl::port() const { return location_; }

bool SerialControl::Open() {
  Close();
  error_.clear();
  // A full path ("/dev/pts/7") is taken as the system location as it stands.
  port_->setPortName(location_);
  if (!port_->open(QIODevice::ReadOnly)) {
    error_ = port_->errorString();
    port_->clearError();
    return false;
  }
  // Modem lines are best-effort: a pseudo-terminal, for one, has none.
  if (!port_->setDataTerminalReady(false)) port_->clearError();
  if (!port_->setRequestToSend(requestToSend_)) port_->clearError();
  return true;
}

void SerialControl::Close() {
  ++session_;  // a loss still queued belongs to the port being closed
  losing_ = false;
  if (port_->isOpen()) port_->close();
}

bool SerialControl::isOpen() const { return port_->isOpen(); }

void SerialControl::setRequestToSend(bool on) {
  requestToSend_ = on;
  if (port_->isOpen() && !port_->setRequestToSend(on)) port_->clearError();
}

QByteArray SerialControl::LookAhead() const {
  QByteArray bytes = saved_;
  if (port_->isOpen()) bytes += port_->peek(port_->bytesAvailable());
  return bytes;
}

QByteArray SerialControl::ReadAll() {
  QByteArray bytes = std::move(saved_);
  saved_.clear();
  if (port_->isOpen()) bytes += port_->readAll();
  return bytes;
}

qint64 SerialControl::bytesAvailable() const {
  return saved_.size() + (port_->isOpen() ? port_->bytesAvailable() : 0);
}

QString SerialControl::errorString() const { return error_; }

void SerialControl::onError(QSerialPort::SerialPortError error) {
  if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError) return;
  if (!port_->isOpen() || losing_) return;
  losing_ = true;
  error_ = HungUp(port_->handle()) ? QStringLiteral("The device hung up the line") : port_->errorString();
  // Closing deletes QSerialPort's socket notifier, which may be the very
  // object reporting this error: close once control is back in the event loop.
  const quint64 session = session_;
  QMetaObject::invokeMethod(this, [this, session] { dropLostPort(session); }, Qt::QueuedConnection);
}

void SerialControl::dropLostPort(quint64 session) {
  if (session != session_ || !port_->isOpen()) return;
  // Bytes that came in before the line went are still the device's data:
  // closing would drop them, so they are kept for the next read.
  saved_ += port_->readAll();
  Close();
  Q_EMIT PortLost(location_);
  if (!saved_.isEmpty()) Q_EMIT DataAvailable();
}

}  // namespace platform
