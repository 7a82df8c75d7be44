#pragma once
// A pseudo-terminal pair: the program's serial control opens portPath(); the
// test plays the device by writing to the master end.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QTest>
#include <cerrno>
#include <cstring>

namespace testsupport {

class PtyPair {
 public:
  PtyPair() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) path_ = ::ptsname(master_);
    // Holds the number while the pair lives: a port's lock file outlives the port a moment.
    slaveHold_ = ::open(path_.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  }
  ~PtyPair() {
    closeMaster();
    if (slaveHold_ >= 0) ::close(slaveHold_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0 && slaveHold_ >= 0; }
  // The slave end, as a serial port location ("/dev/pts/7").
  QString portPath() const { return path_; }
  // Writes every byte to the master end; while the line is full, the event loop runs so that the program can
  // read. Fails when a write fails or the line stays full for `ms`, saying how far it got.
  ::testing::AssertionResult write(QByteArrayView bytes, int ms = 10000) {
    const qsizetype all = bytes.size();
    const QDeadlineTimer deadline(ms);
    for (ssize_t n = 0; !bytes.isEmpty(); bytes = bytes.sliced(n > 0 ? n : 0)) {
      n = ::write(master_, bytes.data(), size_t(bytes.size()));
      if (n < 0 && errno != EAGAIN && errno != EINTR)
        return ::testing::AssertionFailure() << "writing to the line failed: " << std::strerror(errno) << ", "
                                             << all - bytes.size() << " of " << all << " bytes written";
      if (n < 0 && deadline.hasExpired())
        return ::testing::AssertionFailure() << "the line stayed full for " << ms << " ms, nobody reading: "
                                             << all - bytes.size() << " of " << all << " bytes written";
      if (n < 0) QCoreApplication::processEvents();
    }
    return ::testing::AssertionSuccess();
  }
  // The device's own end, for reading what the program sent it.
  int deviceEnd() const { return master_; }
  // Closes the master end, as a pulled cable does.
  void closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_;
  int slaveHold_;
  QString path_;
};

}  // namespace testsupport
