#pragma once
// The device's side of a pseudo-terminal pair: sends what it is given as a
// 9600-baud 8N1 line carries it, in bursts of random size, and can stop in the
// middle and go away as a pulled cable does. It runs from a timer on the
// user-interface thread, so it sends while the test spins the event loop
// (waitFor) and touches nothing the program owns.

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <random>

#include "support/PtyPair.h"

namespace testsupport {

class DeviceSimulator : public QObject {
 public:
  // Ten bits a byte (start, eight data, stop) at 9600 baud.
  static constexpr double kLineBytesPerSecond = 960.0;

  struct Options {
    double pace = 1.0;   // how many times faster than the real line
    quint32 seed = 1;    // burst sizes
    int maxBurst = 64;   // bytes the adapter hands over at once, at most
  };

  DeviceSimulator(PtyPair& pty, Options options);
  ~DeviceSimulator() override;

  // Queues bytes for the line.
  void send(QByteArrayView bytes);
  // Queues one export as the device sends it: `noise`, "{" the length "}",
  // the text and "]".
  void sendExport(QByteArrayView text, QByteArrayView noise = {});
  // Stops sending once `offset` bytes have gone out in all (counted from the
  // first byte this simulator sent), then closes the master end as soon as
  // `when()` holds (at once when empty).
  void pullCableAt(qint64 offset, std::function<bool()> when = {});

  // Every queued byte has gone out (or the cable was pulled).
  bool idle() const { return pulled_ || failed_ || pending() == 0; }
  bool pulled() const { return pulled_; }
  // A write to the line failed for another reason than a full buffer.
  bool failed() const { return failed_; }
  qint64 bytesSent() const { return sent_; }
  qint64 bursts() const { return bursts_; }

 private:
  void tick();
  qsizetype pending() const { return queue_.size() - done_; }

  PtyPair& pty_;
  Options options_;
  std::mt19937 random_;
  QTimer timer_;
  QElapsedTimer clock_;
  QByteArray queue_;    // queued bytes; the first done_ of them have gone out
  qsizetype done_ = 0;
  qint64 sent_ = 0;
  qint64 bursts_ = 0;
  qint64 clockBase_ = 0;  // bytes sent when the clock last started
  int nextBurst_ = 0;     // size of the burst waiting for the line; 0 for none drawn
  qint64 stopAt_ = -1;
  std::function<bool()> pullWhen_;
  bool pulled_ = false;
  bool failed_ = false;
};

}  // namespace testsupport
