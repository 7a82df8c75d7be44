#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "ReceptionRig.h"

using testsupport::Rig;
using Calls = std::vector<std::string>;

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
const QByteArray kBegun = "Beginning Export...\n";
const QByteArray kDone = kBegun + "Export Complete!";

class ReceptionTest : public testing::Test, public Rig {};

// Trace switched on mid-way: only reads after it are shown, then the completed export replaces them all.
TEST_F(ReceptionTest, workedExampleInThreeBurstsWithTraceSwitchedOn) {
  const QByteArray text = QByteArray("<A:1>x\r\n").repeated(60);
  view.onAddFields = [this] { reception.ADIFData += "<X:1>y<EOR>"; };
  deliver("xy{48");
  EXPECT_EQ(source.buffer, "xy{48") << "an incomplete header is left unread";
  EXPECT_TRUE(view.takeCalls().empty());
  deliver("0}[" + text.first(200));
  EXPECT_EQ(view.takeCalls(), (Calls{"append:" + kBegun.toStdString(), "max 480", "value 200", "yield"}));
  view.trace = true;
  deliver(text.sliced(200, 8));
  deliver("");
  deliver(text.sliced(208) + "]");
  const QByteArray shown = QByteArray("\n<A:1>x").repeated(60) + "\n<X:1>y\n<EOR>";
  EXPECT_EQ(view.takeCalls(), (Calls{"value 208", "append:\n<A:1>x", "value 208", "enable", "value 480",
                                     "append:" + QByteArray("\n<A:1>x").repeated(34).toStdString(), "value 0",
                                     "addfields", "set:" + shown.toStdString(), "append:\nExport Complete!",
                                     "scroll", "refresh", "yield"}));
  EXPECT_EQ(view.status, shown + "\nExport Complete!");
  EXPECT_EQ(reception.ADIFData, text + "<X:1>y<EOR>") << "the display form never goes into the buffer";
  EXPECT_EQ(capture::ExportReception::FormatForTrace("a\rb\nc\r\r\nd\n\re"), "a\rb\nc\rd\n\re");
}

// Streams cut into reads as the plan says (see Receive), and the exports they make.
TEST(ReceptionFraming, readsMakeOneExportAtATime) {
  const std::tuple<QByteArray, QByteArray, QByteArray, qint64, QByteArray, QByteArray> cases[] = {
      {"{12.7}data", "", "data", 12, kBegun, ""}, {"{}data", "", "data", 0, kBegun, ""},
      {"{1234}data", "\x02\x02", "data", 1234, kBegun, ""}, {"{1e999}data", "", "data", kMax, kBegun, ""},
      {"{-99999999999999999999999}data", "", "data", -kMax - 1, kBegun, ""},
      {"x}ab{12}DATA", "\x04", "ab{12}DATA", 0, kBegun, ""},  // the braces' order is not looked at
      {"{5}abc{9}def", "\x06", "abc{9}def", 5, kBegun, ""},   // a second header while downloading is data
      {"{8}<A:1>x]t]]ail", "\x08", "<A:1>xtail", 8, kDone, ""},
      {"[{10}[abc[[defgh[ij]k[lm", "\x08\x04\x05", "abcdefghijklm", 10, kDone, ""},
      {"{3}old]{5}new]", "\x07\x05", "new", 5, kDone + kDone, ""},  // the unsaved export is dropped
      {"zz]{10}<A:1>x[<EOR>]tail{3}abc", "\x18", "abc", 3, kDone + kBegun, ""},
      // Inside the first yield an event does nothing, and the bytes are taken without one too.
      {"{6}abc{7}more", "\x06\xC7", "abc{7}more", 6, kBegun, ""},
      {"{6}abcdef]", "\x06\x84", "abcdef", 6, kDone, ""},
      // Inside the finishing yield the next export may begin, or wait for a whole header.
      {"{3}abc]{2}xy", "\x03\x04\x85", "xy", 2, kDone + kBegun, ""},
      {"{3}abc]{2", "\x03\x04\x82", "abc", 3, kDone, "{2"},
      {"{3}abc]{4}wxyz]", "\x03\x04\xC8", "wxyz", 4, kDone + kDone, ""},
  };
  for (const auto& [stream, plan, data, maximum, status, unread] : cases) {
    const bool downloading = !status.endsWith("!");
    const int ended = status.count("!");
    EXPECT_EQ(testsupport::Receive(stream, plan, false),
              std::make_tuple(data, downloading, unread, maximum, downloading ? data.size() : 0, ended, ended,
                              status))
        << stream.constData();
  }
}

}  // namespace
