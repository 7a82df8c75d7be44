#include "support/PtyPair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace testsupport {

PtyPair::PtyPair() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) return;
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
    ::close(master_);
    master_ = -1;
    return;
  }
  path_ = QString::fromLocal8Bit(ptsname(master_));
  slaveHold_ = ::open(ptsname(master_), O_RDONLY | O_NOCTTY | O_NONBLOCK);
}

PtyPair::~PtyPair() {
  closeMaster();
  if (slaveHold_ >= 0) ::close(slaveHold_);
}

bool PtyPair::write(const QByteArray& bytes) {
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(master_, p, size_t(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        QCoreApplication::processEvents();
        continue;
      }
      return false;
    }
    p += n;
    left -= n;
  }
  return true;
}

void PtyPair::closeMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

}  // namespace testsupport
