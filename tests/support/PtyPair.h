#pragma once
// A pseudo-terminal pair: the program's serial control opens portPath(); the
// test plays the device by writing to the master end.

#include <QByteArray>
#include <QString>
#include <functional>

namespace testsupport {

class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0; }
  // The master end's descriptor (-1 once closed), for a device that paces its own writes.
  int masterFd() const { return master_; }
  // The slave end, as a serial port location ("/dev/pts/7").
  QString portPath() const { return path_; }
  // Writes every byte to the master end (blocking until all are written).
  bool write(const QByteArray& bytes);
  // Closes the master end, as a pulled cable does.
  void closeMaster();

 private:
  int master_ = -1;
  // Keeps the pty's number taken while the pair lives: QSerialPort's lock file
  // for it goes a moment after the port closes, and a test running in parallel
  // must not get the same number meanwhile.
  int slaveHold_ = -1;
  QString path_;
};

// Runs the event loop until `done()` holds or `timeoutMs` passes.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);

}  // namespace testsupport
