#pragma once
// Stand-ins for the port's buffer and the window, for the reception tests and the reception fuzz target.

#include <QList>
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "capture/Reception.h"

namespace testsupport {

class FakeSource : public platform::ByteSource {
 public:
  QByteArray LookAhead() const override { return buffer; }
  QByteArray ReadAll() override { return std::exchange(buffer, QByteArray()); }
  qint64 bytesAvailable() const override { return buffer.size(); }
  QByteArray buffer;
};

// Logs the calls, counts them and keeps the last by their first word; keeps the status text as shown.
class RecordingView : public capture::ReceptionView {
 public:
  void AppendStatus(QByteArrayView t) override { log("append:" + t.toByteArray(), status + t.toByteArray()); }
  void SetStatusText(QByteArrayView t) override { log("set:" + t.toByteArray(), t.toByteArray()); }
  void ScrollStatusToLastLine() override { log("scroll"); }
  void RefreshStatus() override { log("refresh"); }
  bool TraceOn() const override { return trace; }
  void SetProgressMaximum(qint64 maximum) override { log("max " + QByteArray::number(maximum)); }
  void SetProgressValue(qint64 value) override { log("value " + QByteArray::number(value)); }
  void EnableButtons() override { log("enable"); }
  void DoEvents() override { log("yield"); }
  void AddFields() override { log("addfields"); }
  std::vector<std::string> takeCalls() { return std::exchange(calls, {}); }

  bool trace = false;
  QByteArray status;
  std::vector<std::string> calls;
  std::map<QByteArray, int> count;
  std::map<QByteArray, QByteArray> last{{"max", "100"}, {"value", "0"}};
  std::function<void(int)> onYield;  // given the yield's count since the start
  std::function<void()> onAddFields;

 private:
  void log(const QByteArray& call, const QByteArray& newStatus = {}) {
    calls.push_back(call.toStdString());
    const QList<QByteArray> words = call.split(' ');
    last[words.front()] = words.back();
    ++count[words.front()];
    if (call.startsWith("append:") || call.startsWith("set:")) status = newStatus;
    if (call == "yield" && onYield) onYield(count[call]);
    if (call == "addfields" && onAddFields) onAddFields();
  }
};

struct Rig {
  // Bytes arrive at the port, which raises its data event.
  void deliver(QByteArrayView bytes) {
    source.buffer += bytes;
    reception.Serial1_DataAvailable(source, view);
  }
  // What reception ends with: buffer, state, bytes unread, bar, buttons enabled, completions, status text.
  auto outcome() {
    return std::make_tuple(reception.ADIFData, reception.DownloadStart, source.buffer,
                           view.last["max"].toLongLong(), view.last["value"].toLongLong(), view.count["enable"],
                           view.count["addfields"], view.status);
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
  rig.view.onYield = [&](int) {
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
