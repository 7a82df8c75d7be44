#include <gtest/gtest.h>

#include <QList>
#include <limits>

#include "ReceptionRig.h"
#include "support/QtPrinters.h"

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
const QByteArray kBegun = "Beginning Export...\n";
const QByteArray kDone = kBegun + "Export Complete!";

// A plan cuts a stream into reads: "6 +7!" is a read of 6 bytes, then 7 bytes that arrive inside the
// yield that follows, "!" with a data event of their own there; whatever the plan leaves comes in one read.
QByteArray Plan(const char* text) {
  QByteArray bytes;
  for (const QByteArray& s : QByteArray(text).split(' '))
    if (!s.isEmpty())
      bytes += char((s[0] == '+' ? 0x80 : 0) | (s.endsWith('!') ? 0x40 : 0) | atoi(s.constData() + (s[0] == '+')));
  return bytes;
}

TEST(ReceptionFraming, readsMakeOneExportAtATime) {
  const struct {
    const char *stream, *plan;
    QByteArray held;
    qint64 value, maximum;
    QByteArray status, unread = "";
  } cases[] = {
      {"{12.7}data", "", "data", 4, 12, kBegun}, {"{}data", "", "data", 4, 0, kBegun},
      {"{1234}data", "2 2", "data", 4, 1234, kBegun}, {"{1e999}data", "", "data", 4, kMax, kBegun},
      {"{-99999999999999999999999}data", "", "data", 4, -kMax - 1, kBegun},
      {"x}ab{12}DATA", "4", "ab{12}DATA", 10, 0, kBegun},  // the braces' order is not looked at
      {"{5}abc{9}def", "6", "abc{9}def", 9, 5, kBegun},    // a second header while downloading is data
      {"{8}<A:1>x]t]]ail", "8", "<A:1>xtail", 0, 8, kDone},
      {"[{10}[abc[[defgh[ij]k[lm", "8 4 5", "abcdefghijklm", 0, 10, kDone},
      {"{3}old]{5}new]", "7 5", "new", 0, 5, kDone + kDone},  // the unsaved export is dropped
      {"zz]{10}<A:1>x[<EOR>]tail{3}abc", "24", "abc", 3, 3, kDone + kBegun},
      // Inside the first yield an event does nothing, and the bytes are taken without one too.
      {"{6}abc{7}more", "6 +7!", "abc{7}more", 10, 6, kBegun},
      {"{6}abcdef]", "6 +4", "abcdef", 0, 6, kDone},
      // Inside the finishing yield the next export may begin, or wait for a whole header.
      {"{3}abc]{2}xy", "3 4 +5", "xy", 2, 2, kDone + kBegun},
      {"{3}abc]{2", "3 4 +2", "abc", 0, 3, kDone, "{2"},
      {"{3}abc]{4}wxyz]", "3 4 +8!", "wxyz", 0, 4, kDone + kDone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.stream) + " in reads \"" + c.plan + "\"");
    const auto [held, downloading, unread, maximum, value, enables, completions, status] =
        testsupport::Receive(c.stream, Plan(c.plan), false);
    EXPECT_EQ(held, c.held);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(maximum, c.maximum);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(unread, c.unread);
    const int ends = int(c.status.count("Export Complete!"));
    EXPECT_EQ(downloading, !c.status.endsWith("Export Complete!")) << "still downloading";
    EXPECT_EQ(enables, ends) << "buttons enabled once per export that ended";
    EXPECT_EQ(completions, ends) << "records completed once per export that ended";
  }
}

}  // namespace
