// Reception fed by stand-ins for the port's buffer and the window.
#include <gtest/gtest.h>

#include <QList>
#include <functional>
#include <limits>
#include <map>

#include "capture/Reception.h"

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

// Logs what reception does to the window and counts each kind of call; keeps
// the status text and the bar as the window would.
class RecordingView : public capture::ReceptionView {
 public:
  void AppendStatus(QByteArrayView text) override {
    status += text;
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
  void EnableButtons() override { log("enable"); }
  void DoEvents() override {
    log("yield");
    if (onYield) onYield(count["yield"]);
  }
  void AddFields() override {
    log("addfields");
    if (onAddFields) onAddFields();
  }
  Calls takeCalls() { return std::exchange(calls, {}); }

  bool trace = false;
  QByteArray status;
  qint64 maximum = 100, value = 0;
  Calls calls;
  std::map<QByteArray, int> count;  // by the call's first word
  std::function<void(int)> onYield;  // given the yield's count since the start
  std::function<void()> onAddFields;

 private:
  void log(const QByteArray& call) {
    calls.push_back(call.toStdString());
    ++count[call.split(' ').front()];
  }
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
        EXPECT_EQ(rig.view.count["enable"], 1);
        EXPECT_EQ(rig.view.count["addfields"], 1);
        EXPECT_EQ(rig.view.status, trace ? "\n<A:1>x\n<EOR>\nExport Complete!" : kDone);
      }
    }
  }
}

// Reads, and bytes that arrive inside the first or the finishing yield (with or
// without a data event of their own), make one export at a time.
TEST(ReceptionFraming, readsAndBytesDuringYieldsMakeOneExportAtATime) {
  const struct {
    std::vector<QByteArray> reads;
    int yield;  // the yield inside which `arrives` comes, 0 for none
    QByteArray arrives;
    bool event;
    QByteArray data;
    qint64 maximum;
    QByteArray status, unread = {};
  } cases[] = {
      {{"{12.7}data"}, 0, "", false, "data", 12, kBegun}, {{"{}data"}, 0, "", false, "data", 0, kBegun},
      {{"{abc}data"}, 0, "", false, "data", 0, kBegun}, {{"{ 42}data"}, 0, "", false, "data", 42, kBegun},
      {{"{-3}data"}, 0, "", false, "data", -3, kBegun}, {{"{1e999}data"}, 0, "", false, "data", kMax, kBegun},
      {{"{99999999999999999999999}data"}, 0, "", false, "data", kMax, kBegun},
      {{"{-99999999999999999999999}data"}, 0, "", false, "data", std::numeric_limits<qint64>::min(), kBegun},
      {{"x}ab", "{12}DATA"}, 0, "", false, "ab{12}DATA", 0, kBegun},  // the braces' order is not looked at
      {{"{5}abc", "{9}def"}, 0, "", false, "abc{9}def", 5, kBegun},   // a second header while downloading is data
      {{"{8}<A:1>", "x]t]]ail"}, 0, "", false, "<A:1>xtail", 8, kDone},
      {{"[{10}[ab", "c[[d", "efgh[", "ij]k[lm"}, 0, "", false, "abcdefghijklm", 10, kDone},
      {{"{3}old]", "{5}ne", "w]"}, 0, "", false, "new", 5, kDone + kDone},  // the unsaved export is dropped
      {{"zz{10}<A:1>x[<EOR>]tail", "{3}abc"}, 0, "", false, "abc", 3, kDone + kBegun},
      {{"{6}abc"}, 1, "{7}more", true, "abc{7}more", 6, kBegun},  // the nested event does nothing
      {{"{6}abc"}, 1, "def]", false, "abcdef", 6, kDone},
      {{"{6}abc", "def]"}, 2, "{2}xy", false, "xy", 2, kDone + kBegun},  // the next export begins
      {{"{6}abc", "def]"}, 2, "{2", false, "abcdef", 6, kDone, "{2"},     // an incomplete header waits
      {{"{6}abc", "def]"}, 2, "{4}wxyz]", true, "wxyz", 4, kDone + kDone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE((c.reads.front() + " " + c.arrives).constData());
    Rig rig;
    rig.view.onYield = [&](int yield) {
      if (yield != c.yield) return;
      rig.source.buffer += c.arrives;
      if (c.event) rig.deliver("");
    };
    for (const QByteArray& read : c.reads) rig.deliver(read);
    EXPECT_EQ(rig.reception.ADIFData, c.data);
    EXPECT_EQ(rig.view.maximum, c.maximum);
    EXPECT_EQ(rig.view.status, c.status);
    EXPECT_EQ(rig.source.buffer, c.unread);
    EXPECT_EQ(rig.view.count["enable"], c.status.count("!"));
    EXPECT_EQ(rig.view.count["addfields"], c.status.count("!"));
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

TEST_F(ReceptionTest, bufferThatHandsOutNothingEndsTheEvent) {
  reception.DownloadStart = true;
  source.stuck = true;
  deliver("{1}");
  EXPECT_EQ(source.buffer, "{1}");
}

}  // namespace
