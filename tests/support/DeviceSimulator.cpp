#include "support/DeviceSimulator.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "support/ExportGenerator.h"

namespace testsupport {

DeviceSimulator::DeviceSimulator(PtyPair& pty, Options options)
    : pty_(pty), options_(options), random_(options.seed) {
  options_.maxBurst = std::max(1, options_.maxBurst);
  // A full line buffer (nobody reading) must hold the device back, never the test.
  if (pty_.masterFd() >= 0) ::fcntl(pty_.masterFd(), F_SETFL, ::fcntl(pty_.masterFd(), F_GETFL) | O_NONBLOCK);
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(1);
  connect(&timer_, &QTimer::timeout, this, &DeviceSimulator::tick);
}

DeviceSimulator::~DeviceSimulator() { timer_.stop(); }

void DeviceSimulator::send(QByteArrayView bytes) {
  if (pulled_ || bytes.isEmpty()) return;
  if (!timer_.isActive()) {
    // The line was quiet: its clock starts again with these bytes.
    clockBase_ = sent_;
    clock_.restart();
    timer_.start();
  }
  queue_.append(bytes);
}

void DeviceSimulator::sendExport(QByteArrayView text, QByteArrayView noise) {
  send(noise.toByteArray() + Framed(text));
}

void DeviceSimulator::pullCableAt(qint64 offset, std::function<bool()> when) {
  stopAt_ = offset;
  pullWhen_ = std::move(when);
  if (!timer_.isActive()) {
    clockBase_ = sent_;
    clock_.restart();
    timer_.start();
  }
}

void DeviceSimulator::tick() {
  const double bytesPerSecond = kLineBytesPerSecond * options_.pace;
  const qint64 carried = clockBase_ + qint64(double(clock_.nsecsElapsed()) * bytesPerSecond / 1e9);
  while (!failed_ && pending() > 0 && (stopAt_ < 0 || sent_ < stopAt_)) {
    if (nextBurst_ == 0) nextBurst_ = std::uniform_int_distribution<int>(1, options_.maxBurst)(random_);
    qint64 burst = std::min<qint64>(nextBurst_, pending());
    if (stopAt_ >= 0) burst = std::min(burst, stopAt_ - sent_);
    if (sent_ + burst > carried) break;  // the line has not carried it yet
    const ssize_t n = ::write(pty_.masterFd(), queue_.constData() + done_, size_t(burst));
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN) failed_ = true;
      break;  // the reader is behind: try again at the next tick
    }
    done_ += n;
    sent_ += n;
    ++bursts_;
    nextBurst_ = n < burst ? int(burst - n) : 0;
  }
  // Keep only what is still to go.
  if (done_ == queue_.size()) {
    queue_.clear();
    done_ = 0;
  } else if (done_ > 64 * 1024) {
    queue_.remove(0, done_);
    done_ = 0;
  }

  const bool stopped = stopAt_ >= 0 && sent_ >= stopAt_;
  if (stopped && !pulled_ && (!pullWhen_ || pullWhen_())) {
    pty_.closeMaster();
    pulled_ = true;
  }
  if (pulled_ || failed_ || (pending() == 0 && !stopped)) timer_.stop();
}

}  // namespace testsupport
