#pragma once
// Stand-ins for the serial buffer and the main window, for reception tests.

#include <QByteArray>
#include <QByteArrayView>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "capture/Reception.h"
#include "platform/ByteSource.h"

namespace testsupport {

// A port's input buffer that the test fills.
class FakeSource : public platform::ByteSource {
 public:
  void arrive(QByteArrayView bytes) { buffer.append(bytes); }
  QByteArray LookAhead() const override { return buffer; }
  QByteArray ReadAll() override {
    ++reads;
    return std::exchange(buffer, QByteArray());
  }
  qint64 bytesAvailable() const override { return buffer.size(); }

  QByteArray buffer;
  int reads = 0;
};

// Records what reception does to the window, in order, and keeps the status
// area's bytes, the bar and the buttons as the window would.
class RecordingView : public capture::ReceptionView {
 public:
  void AppendStatus(QByteArrayView text) override {
    status.append(text);
    log("append:" + text.toByteArray());
  }
  void SetStatusText(QByteArrayView text) override {
    status = text.toByteArray();
    log("set:" + text.toByteArray());
  }
  void ScrollStatusToLastLine() override { log("scroll"); }
  void RefreshStatus() override { log("refresh"); }
  bool TraceOn() const override { return trace; }
  void SetProgressMaximum(qint64 value) override {
    maximum = value;
    log("max " + QByteArray::number(value));
  }
  void SetProgressValue(qint64 v) override {
    value = v;
    log("value " + QByteArray::number(v));
  }
  void EnableButtons() override {
    ++enables;
    log("enable");
  }
  void DoEvents() override {
    ++yields;
    log("yield");
    if (onYield) onYield(yields);
  }
  void AddFields() override {
    ++completions;
    log("addfields");
    if (onAddFields) onAddFields();
  }

  // The calls since the last take, then forgotten.
  std::vector<std::string> takeCalls() { return std::exchange(calls, {}); }

  bool trace = false;
  QByteArray status;
  qint64 maximum = 100;
  qint64 value = 0;
  int enables = 0;
  int yields = 0;
  int completions = 0;
  std::vector<std::string> calls;
  // Runs inside each yield, given the yield's count since the start.
  std::function<void(int)> onYield;
  std::function<void()> onAddFields;

 private:
  void log(const QByteArray& call) { calls.push_back(call.toStdString()); }
};

}  // namespace testsupport
