// Reception fed by stand-ins for the port's buffer and the window, and once by
// the real serial control on a pseudo-terminal.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "capture/Reception.h"
#include "platform/SerialControl.h"
#include "support/PtyPair.h"

using capture::ExportReception;
using Calls = std::vector<std::string>;

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
const QByteArray kBegun = "Beginning Export...\n";
const QByteArray kDone = kBegun + "Export Complete!";

// A port's input buffer that the test fills; a stuck one claims bytes it never hands out.
class FakeSource : public platform::ByteSource {
 public:
  QByteArray LookAhead() const override { return buffer; }
  QByteArray ReadAll() override { return stuck ? QByteArray() : std::exchange(buffer, QByteArray()); }
  qint64 bytesAvailable() const override { return buffer.size(); }
  QByteArray buffer;
  bool stuck = false;
};

// Logs what reception does to the window, and keeps the status text and the bar as the window would.
class RecordingView : public capture::ReceptionView {
 public:
  void AppendStatus(QByteArrayView text) override {
    status += text.toByteArray();
    log("append:" + text.toByteArray());
  }
  void SetStatusText(QByteArrayView text) override {
    status = text.toByteArray();
    log("set:" + status);
  }
  void ScrollStatusToLastLine() override { log("scroll"); }
  void RefreshStatus() override { log("refresh"); }
  bool TraceOn() const override { return trace; }
  void SetProgressMaximum(qint64 v) override {
    maximum = v;
    log("max " + QByteArray::number(v));
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
    log("yield");
    ++yields;
    if (onYield) onYield(yields);
  }
  void AddFields() override {
    ++completions;
    log("addfields");
    if (onAddFields) onAddFields();
  }
  Calls takeCalls() { return std::exchange(calls, {}); }

  bool trace = false;
  QByteArray status;
  qint64 maximum = 100, value = 0;
  int enables = 0, yields = 0, completions = 0;
  Calls calls;
  std::function<void(int)> onYield;  // given the yield's count since the start
  std::function<void()> onAddFields;

 private:
  void log(const QByteArray& call) { calls.push_back(call.toStdString()); }
};

struct Rig {
  // Bytes arrive at the port, which raises its data event.
  void deliver(QByteArrayView bytes) {
    source.buffer += bytes;
    reception.Serial1_DataAvailable(source, view);
  }
  ExportReception reception;
  FakeSource source;
  RecordingView view;
};

class ReceptionTest : public testing::Test, public Rig {};

TEST_F(ReceptionTest, workedExampleInThreeBursts) {
  const QByteArray text = QByteArray("<A:1>x").repeated(80);
  deliver("xy{48");
  EXPECT_EQ(source.buffer, "xy{48") << "an incomplete header is left unread";
  EXPECT_TRUE(view.takeCalls().empty());
  deliver("0}[" + text.first(200));
  EXPECT_TRUE(source.buffer.isEmpty());
  EXPECT_EQ(reception.ADIFData, text.first(200));
  EXPECT_TRUE(reception.DownloadStart);
  EXPECT_EQ(view.takeCalls(), (Calls{"append:" + kBegun.toStdString(), "max 480", "value 200", "yield"}));
  deliver(text.sliced(200) + "]");
  EXPECT_EQ(reception.ADIFData, text);
  EXPECT_FALSE(reception.DownloadStart);
  EXPECT_EQ(view.takeCalls(), (Calls{"enable", "value 480", "value 0", "addfields", "append:Export Complete!",
                                     "scroll", "refresh", "yield"}));
  EXPECT_EQ(view.status, kDone);
}

// Noise (even a "]") before the header, the header split anywhere, the export
// whole in one read: every cut into three reads gives one and the same export.
TEST(ReceptionCuts, anyCutOfAnExportIntoReadsGivesTheSameExport) {
  const QByteArray stream = QByteArray("n\0]<EOR>{1", 10) + "3.9}<A:1>x[\r\n<EOR>]";
  for (const bool trace : {false, true}) {
    for (qsizetype i = 0; i <= stream.size(); ++i) {
      for (qsizetype j = i; j <= stream.size(); ++j) {
        SCOPED_TRACE(testing::Message() << "trace " << trace << ", reads end at " << i << " and " << j);
        Rig rig;
        rig.view.trace = trace;
        rig.deliver(stream.first(i));
        rig.deliver(stream.sliced(i, j - i));
        rig.deliver(stream.sliced(j));
        EXPECT_EQ(rig.reception.ADIFData, "<A:1>x\r\n<EOR>");
        EXPECT_FALSE(rig.reception.DownloadStart);
        EXPECT_TRUE(rig.source.buffer.isEmpty());
        EXPECT_EQ(rig.view.maximum, 13);
        EXPECT_EQ(rig.view.value, 0);
        EXPECT_EQ(rig.view.enables, 1);
        EXPECT_EQ(rig.view.completions, 1);
        EXPECT_EQ(rig.view.status, trace ? "\n<A:1>x\n<EOR>\nExport Complete!" : kDone);
      }
    }
  }
}

TEST(ReceptionFraming, readsMakeOneExportAtATime) {
  const struct {
    std::vector<QByteArray> reads;
    QByteArray data;
    qint64 maximum;
    QByteArray status;
    int enables;
  } cases[] = {
      {{"{12.7}data"}, "data", 12, kBegun, 0}, {{"{}data"}, "data", 0, kBegun, 0},
      {{"{abc}data"}, "data", 0, kBegun, 0}, {{"{ 42}data"}, "data", 42, kBegun, 0},
      {{"{-3}data"}, "data", -3, kBegun, 0}, {{"{1e999}data"}, "data", kMax, kBegun, 0},
      {{"{99999999999999999999999}data"}, "data", kMax, kBegun, 0},
      {{"{-99999999999999999999999}data"}, "data", std::numeric_limits<qint64>::min(), kBegun, 0},
      {{"x}ab", "{12}DATA"}, "ab{12}DATA", 0, kBegun, 0},  // the braces' order is not looked at
      {{"{5}abc", "{9}def"}, "abc{9}def", 5, kBegun, 0},   // a second header while downloading is data
      {{"{8}<A:1>", "x]t]]ail"}, "<A:1>xtail", 8, kDone, 1},
      {{"[{10}[ab", "c[[d", "efgh[", "ij]k[lm"}, "abcdefghijklm", 10, kDone, 1},
      {{"{3}old]", "{5}ne", "w]"}, "new", 5, kDone + kDone, 2},  // the unsaved export is dropped
      {{"zz{10}<A:1>x[<EOR>]tail", "{3}abc"}, "abc", 3, kDone + kBegun, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reads.front().constData());
    Rig rig;
    for (const QByteArray& read : c.reads) rig.deliver(read);
    EXPECT_EQ(rig.reception.ADIFData, c.data);
    EXPECT_EQ(rig.view.maximum, c.maximum);
    EXPECT_EQ(rig.view.status, c.status);
    EXPECT_EQ(rig.view.enables, c.enables);
    EXPECT_EQ(rig.view.completions, c.enables);
    EXPECT_EQ(rig.reception.DownloadStart, !c.status.endsWith("!"));
    EXPECT_EQ(rig.view.value, rig.reception.DownloadStart ? c.data.size() : 0);
  }
}

// Trace is read at each read; at the end the completed export replaces all that was shown.
TEST_F(ReceptionTest, traceShowsEachReadWhileOnThenTheCompletedExport) {
  view.trace = true;
  view.onAddFields = [this] { reception.ADIFData += "<STATION_CALLSIGN:4>K1AB<EOR>"; };
  deliver("{40}<CALL:4>W1AW\r\n");
  EXPECT_EQ(view.status, kBegun + "\n<CALL:4>W1AW");
  view.trace = false;
  deliver("<EOR>");
  EXPECT_EQ(view.status, kBegun + "\n<CALL:4>W1AW");
  view.trace = true;
  view.takeCalls();
  deliver("");
  deliver("]");
  const std::string shown = "\n<CALL:4>W1AW\n<EOR>\n<STATION_CALLSIGN:4>K1AB\n<EOR>";
  EXPECT_EQ(view.takeCalls(), (Calls{"value 19", "enable", "value 19", "value 0", "addfields", "set:" + shown,
                                     "append:\nExport Complete!", "scroll", "refresh", "yield"}));
  EXPECT_EQ(view.status.toStdString(), shown + "\nExport Complete!");
  EXPECT_EQ(reception.ADIFData, "<CALL:4>W1AW\r\n<EOR><STATION_CALLSIGN:4>K1AB<EOR>");
  EXPECT_EQ(ExportReception::FormatForTrace("a\rb\nc\r\r\nd\n\re"), "a\rb\nc\rd\n\re");
  EXPECT_EQ(ExportReception::FormatForTrace(QByteArrayView("\xe9<\0", 3)), QByteArray("\xe9\n<\0", 4));
}

// Bytes that arrive inside the first or the finishing yield, with or without a data event of their own.
TEST(ReceptionYield, bytesArrivingDuringAYieldAreTakenOnceTheyCanBe) {
  const struct {
    int yield;
    QByteArray arrives;
    bool event;
    QByteArray data, unread, status;
    qint64 maximum;
  } cases[] = {
      {1, "{7}more", true, "abc{7}more", "", kBegun, 6},  // the nested event does nothing
      {1, "def]", false, "abcdef", "", kDone, 6},
      {2, "{2}xy", false, "xy", "", kDone + kBegun, 2},  // the next export begins
      {2, "{2", false, "abcdef", "{2", kDone, 6},         // an incomplete header waits
      {2, "{4}wxyz]", true, "wxyz", "", kDone + kDone, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arrives.constData());
    Rig rig;
    rig.view.onYield = [&](int yield) {
      rig.source.buffer += yield == c.yield ? c.arrives : QByteArray();
      if (yield == c.yield && c.event) rig.deliver("");
    };
    rig.deliver("{6}abc");
    if (c.yield == 2) rig.deliver("def]");
    EXPECT_EQ(rig.reception.ADIFData, c.data);
    EXPECT_EQ(rig.source.buffer, c.unread);
    EXPECT_EQ(rig.view.status, c.status);
    EXPECT_EQ(rig.view.maximum, c.maximum);
    EXPECT_EQ(rig.reception.DownloadStart, !c.status.endsWith("!"));
  }
}

TEST_F(ReceptionTest, bufferThatHandsOutNothingEndsTheEvent) {
  reception.DownloadStart = true;
  source.stuck = true;
  deliver("{1}");
  EXPECT_EQ(source.buffer, "{1}");
}

// On a real port the bytes reach its buffer inside the yield, and no later event comes for them.
TEST(ReceptionPty, endMarkerArrivingDuringTheFirstYieldIsNotLeftUnread) {
  testsupport::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  platform::SerialControl serial;
  serial.setPort(pty.portPath());
  ASSERT_TRUE(serial.Open()) << (serial.port() + ": " + serial.errorString()).toStdString();
  ExportReception reception;
  RecordingView view;
  QObject::connect(&serial, &platform::SerialControl::DataAvailable,
                   [&] { reception.Serial1_DataAvailable(serial, view); });
  view.onYield = [&](int yield) {
    if (yield != 1) return;
    ASSERT_TRUE(pty.write("<EOR>]"));
    ASSERT_TRUE(testsupport::waitFor([&] { return serial.bytesAvailable() == 6; }));
  };
  ASSERT_TRUE(pty.write("{9}<A:1>x"));
  ASSERT_TRUE(testsupport::waitFor([&] { return view.completions == 1; }));
  EXPECT_EQ(reception.ADIFData, "<A:1>x<EOR>");
  EXPECT_FALSE(reception.DownloadStart);
  EXPECT_EQ(serial.bytesAvailable(), 0);
  serial.Close();
}

}  // namespace
