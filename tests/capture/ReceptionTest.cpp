#include <gtest/gtest.h>

#include <limits>

#include "ReceptionFakes.h"
#include "capture/Reception.h"

using capture::ExportReception;
using testsupport::FakeSource;
using testsupport::RecordingView;
using Calls = std::vector<std::string>;

namespace {

// ADIF-like text of exactly `length` bytes, without any framing character.
QByteArray AdifText(qsizetype length) {
  const QByteArray record = "<CALL:4>W1AW<FREQ:6>14.074<RST_RCVD:7>599/579<EOR>\r\n";
  QByteArray text;
  while (text.size() < length) text += record;
  text.truncate(length);
  return text;
}

class ReceptionTest : public ::testing::Test {
 protected:
  // Bytes arrive at the port, which raises its data event.
  void deliver(QByteArrayView bytes) {
    source.arrive(bytes);
    reception.Serial1_DataAvailable(source, view);
  }

  ExportReception reception;
  FakeSource source;
  RecordingView view;
};

TEST_F(ReceptionTest, workedExampleInThreeBursts) {
  const QByteArray text = AdifText(480);

  deliver("xy{48");
  EXPECT_EQ(source.buffer, "xy{48") << "an incomplete header is left unread";
  EXPECT_EQ(source.reads, 0);
  EXPECT_TRUE(view.takeCalls().empty());
  EXPECT_FALSE(reception.DownloadStart);

  deliver("0}[" + text.first(200));
  EXPECT_TRUE(source.buffer.isEmpty());
  EXPECT_EQ(reception.ADIFData, text.first(200));
  EXPECT_TRUE(reception.DownloadStart);
  EXPECT_EQ(view.takeCalls(), (Calls{"append:Beginning Export...\n", "max 480", "value 200", "yield"}));

  deliver(text.sliced(200) + "]");
  EXPECT_EQ(reception.ADIFData, text);
  EXPECT_FALSE(reception.DownloadStart);
  EXPECT_EQ(view.takeCalls(), (Calls{"enable", "value 480", "value 0", "addfields", "append:Export Complete!",
                                     "scroll", "refresh", "yield"}));
  EXPECT_EQ(view.status, "Beginning Export...\nExport Complete!");
}

TEST_F(ReceptionTest, headerSplitOverReadsTakesTheWholeNumber) {
  deliver("{1");
  deliver("23");
  EXPECT_EQ(source.buffer, "{123");
  EXPECT_EQ(source.reads, 0);
  deliver("4}abc");
  EXPECT_EQ(view.maximum, 1234);
  EXPECT_EQ(reception.ADIFData, "abc");
}

// Not even a "]" among them ends the export.
TEST_F(ReceptionTest, leadingBytesNeverReachTheBuffer) {
  deliver(QByteArray("\0\xff noise ]<EOR>", 15));
  deliver("]{5}<A:1>x");
  EXPECT_EQ(reception.ADIFData, "<A:1>x");
  EXPECT_TRUE(reception.DownloadStart);
  EXPECT_EQ(view.enables, 0);
  EXPECT_EQ(view.value, 6);
}

TEST_F(ReceptionTest, closingBraceBeforeOpeningStartsAfterTheEarlyBrace) {
  deliver("x}ab");
  EXPECT_EQ(source.reads, 0) << "no \"{\" yet";
  deliver("{12}DATA");
  EXPECT_EQ(reception.ADIFData, "ab{12}DATA");
  EXPECT_EQ(view.maximum, 0) << "the span between the braces runs backwards";
  EXPECT_TRUE(reception.DownloadStart);
}

TEST(ReceptionCount, announcedLengthIsTruncatedAndSaturated) {
  constexpr qint64 kMax = std::numeric_limits<qint64>::max(), kMin = std::numeric_limits<qint64>::min();
  const std::pair<QByteArray, qint64> cases[] = {
      {"{12.7}", 12}, {"{}", 0}, {"{abc}", 0}, {"{ 42}", 42}, {"{-3}", -3},
      {"{99999999999999999999999}", kMax}, {"{-99999999999999999999999}", kMin}, {"{1e999}", kMax},
  };
  for (const auto& [header, expected] : cases) {
    ExportReception reception;
    FakeSource source;
    RecordingView view;
    source.arrive(header + "data");
    reception.Serial1_DataAvailable(source, view);
    EXPECT_EQ(view.maximum, expected) << header.constData();
    EXPECT_EQ(reception.ADIFData, "data") << header.constData();
  }
}

TEST_F(ReceptionTest, endMarkersMidReadFinishOnceAndKeepTheBytesAfterThem) {
  deliver("{8}<A:1>");
  deliver("x]t]]ail");
  EXPECT_EQ(reception.ADIFData, "<A:1>xtail");
  EXPECT_FALSE(reception.DownloadStart);
  EXPECT_EQ(view.enables, 1);
  EXPECT_EQ(view.completions, 1);
  EXPECT_EQ(view.status, "Beginning Export...\nExport Complete!");
}

TEST_F(ReceptionTest, emptyReadWhileDownloadingChangesNothingVisible) {
  view.trace = true;
  deliver("{3}abc");
  const QByteArray status = view.status;
  view.takeCalls();
  deliver("");
  EXPECT_EQ(view.takeCalls(), Calls{"value 3"});
  EXPECT_EQ(reception.ADIFData, "abc");
  EXPECT_EQ(view.status, status);
  EXPECT_TRUE(reception.DownloadStart);
}

TEST_F(ReceptionTest, barValueFollowsTheBufferWhichNeverHoldsASquareBracket) {
  deliver("[{10}[ab");
  EXPECT_EQ(view.value, 2);
  deliver("c[[d");
  EXPECT_EQ(view.value, 4);
  deliver("efgh[");
  EXPECT_EQ(view.value, 8);
  deliver("ij]k[lm");
  EXPECT_EQ(view.value, 0);
  EXPECT_EQ(view.maximum, 10);
  EXPECT_EQ(reception.ADIFData, "abcdefghijklm") << "a length unlike the data only changes the bar";
}

// The complete line stays open for the next; Trace is read at each read.
TEST_F(ReceptionTest, traceOffShowsOnlyTheStatusLines) {
  deliver("{4}ab");
  view.trace = true;
  deliver("cd");
  EXPECT_EQ(view.status, "Beginning Export...\ncd");
  view.trace = false;
  deliver("]");
  deliver("{2}ef");
  EXPECT_EQ(view.status, "Beginning Export...\ncdExport Complete!Beginning Export...\n");
}

TEST_F(ReceptionTest, traceOnShowsEachReadThenOnlyTheCompletedExport) {
  view.trace = true;
  view.onAddFields = [this] { reception.ADIFData += "<STATION_CALLSIGN:4>K1AB<EOR>"; };
  deliver("{40}<CALL:4>W1AW\r\n");
  EXPECT_EQ(view.status, "Beginning Export...\n\n<CALL:4>W1AW");
  view.takeCalls();
  deliver("<EOR>]");
  EXPECT_EQ(view.takeCalls(), (Calls{"enable", "value 19", "append:\n<EOR>", "value 0", "addfields",
                                     "set:\n<CALL:4>W1AW\n<EOR>\n<STATION_CALLSIGN:4>K1AB\n<EOR>",
                                     "append:\nExport Complete!", "scroll", "refresh", "yield"}));
  EXPECT_EQ(view.status, "\n<CALL:4>W1AW\n<EOR>\n<STATION_CALLSIGN:4>K1AB\n<EOR>\nExport Complete!");
  EXPECT_EQ(reception.ADIFData, "<CALL:4>W1AW\r\n<EOR><STATION_CALLSIGN:4>K1AB<EOR>")
      << "the display form never goes into the buffer";
}

TEST(ReceptionDisplay, formatForTraceDropsCrLfPairsAndBreaksBeforeFields) {
  EXPECT_EQ(ExportReception::FormatForTrace("<A:1>x\r\n<EOR>"), "\n<A:1>x\n<EOR>");
  EXPECT_EQ(ExportReception::FormatForTrace("a\rb\nc\r\r\nd\n\re"), "a\rb\nc\rd\n\re");
  EXPECT_EQ(ExportReception::FormatForTrace(""), "");
  EXPECT_EQ(ExportReception::FormatForTrace(QByteArrayView("\xe9<\x00", 3)), QByteArray("\xe9\n<\x00", 4));
}

TEST_F(ReceptionTest, newExportDropsTheUnsavedOneAndLeavesButtonsEnabled) {
  deliver("{3}old]");
  ASSERT_EQ(reception.ADIFData, "old");
  view.takeCalls();
  deliver("{5}ne");
  EXPECT_EQ(reception.ADIFData, "ne");
  EXPECT_EQ(view.enables, 1);
  EXPECT_EQ(view.takeCalls(), (Calls{"append:Beginning Export...\n", "max 5", "value 2", "yield"}))
      << "nothing disables the buttons";
  deliver("w]");
  EXPECT_EQ(reception.ADIFData, "new");
  EXPECT_EQ(view.enables, 2);
}

TEST_F(ReceptionTest, secondHeaderWhileDownloadingIsData) {
  deliver("{5}abc");
  deliver("{9}def");
  EXPECT_EQ(reception.ADIFData, "abc{9}def");
  EXPECT_EQ(view.maximum, 5);
  EXPECT_EQ(view.status, "Beginning Export...\n");
}

TEST_F(ReceptionTest, exportWholeInTheHeaderReadFinishesAtOnce) {
  deliver("zz{10}<A:1>x[<EOR>]tail");
  EXPECT_EQ(reception.ADIFData, "<A:1>x<EOR>tail");
  EXPECT_FALSE(reception.DownloadStart);
  EXPECT_EQ(view.takeCalls(), (Calls{"append:Beginning Export...\n", "max 10", "enable", "value 15", "yield",
                                     "value 0", "addfields", "append:Export Complete!", "scroll", "refresh",
                                     "yield"}));
  deliver("{3}abc");
  EXPECT_EQ(reception.ADIFData, "abc") << "the next export is not merged into it";
}

TEST_F(ReceptionTest, eventDuringFirstYieldReadsNothingAndBeginsNothing) {
  QByteArray seenInYield;
  view.onYield = [&](int yield) {
    if (yield != 1) return;
    source.arrive("{7}more");
    reception.Serial1_DataAvailable(source, view);
    seenInYield = source.buffer;
  };
  deliver("{5}abc");
  EXPECT_EQ(seenInYield, "{7}more");
  EXPECT_EQ(reception.ADIFData, "abc{7}more") << "taken once Downloading, as data";
  EXPECT_EQ(view.maximum, 5);
  EXPECT_EQ(view.status, "Beginning Export...\n");
  EXPECT_TRUE(source.buffer.isEmpty());
}

TEST_F(ReceptionTest, endMarkerArrivingDuringFirstYieldFinishesWithoutLaterEvent) {
  view.onYield = [&](int yield) {
    if (yield == 1) source.arrive("def]");  // the port raises no event for these
  };
  deliver("{6}abc");
  EXPECT_FALSE(reception.DownloadStart);
  EXPECT_EQ(reception.ADIFData, "abcdef");
  EXPECT_EQ(view.completions, 1);
  EXPECT_EQ(view.status, "Beginning Export...\nExport Complete!");
}

// Bytes that arrive inside the second yield, with or without an event of their own.
TEST(ReceptionYield, bytesDuringTheSecondYieldAreHandledAsIdle) {
  const QByteArray done = "Beginning Export...\nExport Complete!";
  const struct {
    QByteArray arrives;
    bool event, downloading;
    QByteArray data, unread, status;
  } cases[] = {
      {"{2}xy", false, true, "xy", "", done + "Beginning Export...\n"},  // the next export begins
      {"{2", false, false, "abc", "{2", done},                            // an incomplete header waits
      {"{4}wxyz]", true, false, "wxyz", "", done + "Beginning Export...\nExport Complete!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arrives.constData());
    ExportReception reception;
    FakeSource source;
    RecordingView view;
    source.arrive("{3}abc");
    reception.Serial1_DataAvailable(source, view);
    view.onYield = [&](int yield) {
      if (yield != 2) return;
      source.arrive(c.arrives);
      if (c.event) reception.Serial1_DataAvailable(source, view);
    };
    source.arrive("]");
    reception.Serial1_DataAvailable(source, view);
    EXPECT_EQ(reception.DownloadStart, c.downloading);
    EXPECT_EQ(reception.ADIFData, c.data);
    EXPECT_EQ(source.buffer, c.unread);
    EXPECT_EQ(view.status, c.status);
  }
}

// A buffer that claims bytes but yields none: the handler must not spin on it.
class StuckSource : public platform::ByteSource {
 public:
  QByteArray LookAhead() const override { return "{1}"; }
  QByteArray ReadAll() override {
    ++reads;
    return {};
  }
  qint64 bytesAvailable() const override { return 3; }
  int reads = 0;
};

TEST(ReceptionRobustness, bufferThatYieldsNothingEndsTheEvent) {
  ExportReception reception;
  RecordingView view;
  reception.DownloadStart = true;
  StuckSource source;
  reception.Serial1_DataAvailable(source, view);
  EXPECT_EQ(source.reads, 1);
}

TEST_F(ReceptionTest, bytesAreKeptExactly) {
  QByteArray all;
  for (int c = 0; c < 256; ++c)
    if (c != '[' && c != ']' && c != '{' && c != '}') all += char(c);
  deliver("{252}");
  deliver(all);
  deliver("]");
  EXPECT_EQ(reception.ADIFData, all);
}

}  // namespace
