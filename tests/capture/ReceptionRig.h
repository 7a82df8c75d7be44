#pragma once
// Stand-ins for the port's buffer and the window, for the reception tests and the reception fuzz target.

#include <algorithm>
#include <functional>
#include <tuple>

#include "capture/Reception.h"

namespace testsupport {

class FakeSource : public platform::ByteSource {
 public:
  QByteArray LookAhead() const override { return buffer; }
  QByteArray ReadAll() override { return std::exchange(buffer, QByteArray()); }
  qint64 bytesAvailable() const override { return buffer.size(); }
  QByteArray buffer;
};

// Keeps what reception shows: the status text, the bar, and how often the buttons were enabled and records completed.
class RecordingView : public capture::ReceptionView {
 public:
  void AppendStatus(QByteArrayView t) override { status += t.toByteArray(); }
  void SetStatusText(QByteArrayView t) override { status = t.toByteArray(); }
  void ScrollStatusToLastLine() override {}
  void RefreshStatus() override {}
  bool TraceOn() const override { return trace; }
  void SetProgressMaximum(qint64 m) override { maximum = m; }
  void SetProgressValue(qint64 v) override { value = v; }
  void EnableButtons() override { ++enables; }
  void DoEvents() override {
    if (onYield) onYield();
  }
  void AddFields() override { ++completions; }

  bool trace = false;
  QByteArray status;
  qint64 maximum = 100, value = 0;
  int enables = 0, completions = 0;
  std::function<void()> onYield;
};

struct Rig {
  // Bytes arrive at the port, which raises its data event.
  void deliver(QByteArrayView bytes) {
    source.buffer += bytes;
    reception.Serial1_DataAvailable(source, view);
  }
  // What reception ends with: buffer, state, bytes unread, bar, buttons enabled, completions, status text.
  auto outcome() {
    return std::make_tuple(reception.ADIFData, reception.DownloadStart, source.buffer, view.maximum, view.value,
                           view.enables, view.completions, view.status);
  }
  capture::ExportReception reception;
  FakeSource source;
  RecordingView view;
};

// Delivers `stream` in the reads of `plan`, a byte each: bits 0-5 its length, bit 7 set when it arrives
// inside a yield, bit 6 with a data event of its own. After the plan the rest arrives in one read.
inline auto Receive(QByteArrayView stream, QByteArrayView plan, bool trace) {
  Rig rig;
  rig.view.trace = trace;
  qsizetype at = 0;
  qsizetype step = 0;
  const auto arrive = [&] {
    const qsizetype length = std::min(step < plan.size() ? plan[step++] & 0x3F : stream.size(), stream.size() - at);
    rig.source.buffer += stream.sliced(at, length);
    at += length;
  };
  rig.view.onYield = [&] {
    while (at < stream.size() && step < plan.size() && (plan[step] & 0x80)) {
      const bool event = plan[step] & 0x40;
      arrive();
      if (event) rig.deliver("");
    }
  };
  while (at < stream.size()) {
    arrive();
    rig.deliver("");
  }
  return rig.outcome();
}

}  // namespace testsupport
