#include <gtest/gtest.h>

#include <QByteArray>
#include <QLocale>
#include <clocale>
#include <cmath>
#include <limits>

#include "platform/Text.h"

using namespace platform;

namespace {

QByteArray B(QByteArrayView v) { return QByteArray(v.data(), v.size()); }

}  // namespace

TEST(TextTest, inStrGivesOneBasedPositionOrZero) {
  EXPECT_EQ(InStr("abc<EOH>x", "<EOH>"), 4);
  EXPECT_EQ(InStr("<EOR>", "<EOR>"), 1);
  EXPECT_EQ(InStr("abc", "<EOR>"), 0);
  EXPECT_EQ(InStr("abc", ""), 0);
  EXPECT_EQ(InStr("", "a"), 0);
  EXPECT_EQ(InStr("<EO", "<EOR>"), 0);  // a partial marker at the very end
  EXPECT_EQ(InStr("a<b<EOR>", "<EOR>"), 4);
}

TEST(TextTest, inStrIgnoresAsciiLetterCaseOnly) {
  EXPECT_EQ(InStr("x<eor>", "<EOR>"), 2);
  EXPECT_EQ(InStr("x<Freq:6>", "<FREQ:"), 2);
  EXPECT_EQ(InStr("RST_rcvd", "rst_RCVD"), 1);
  EXPECT_EQ(InStr("abcB", "b"), 2);
  // Bytes outside ASCII letters compare exactly: 0xE9 is not 0xC9.
  EXPECT_EQ(InStr("\xE9", "\xC9"), 0);
  EXPECT_EQ(InStr("[{", "{"), 2);  // '[' and '{' are not the case pair of any letter
}

TEST(TextTest, inStrHandlesNulAndHighBytes) {
  const QByteArray text("a\0\xFF<EOR>", 8);
  EXPECT_EQ(InStr(text, "<EOR>"), 4);
  EXPECT_EQ(InStr(text, QByteArrayView("\0\xFF", 2)), 2);
}

TEST(TextTest, midLeftRightClampToTheText) {
  EXPECT_EQ(B(Mid("abcdef", 3)), "cdef");
  EXPECT_EQ(B(Mid("abcdef", 7)), "");
  EXPECT_EQ(B(Mid("abcdef", 0)), "abcdef");
  EXPECT_EQ(B(Mid("abcdef", std::numeric_limits<qint64>::max())), "");
  EXPECT_EQ(B(Mid("abcdef", 2, 3)), "bcd");
  EXPECT_EQ(B(Mid("abcdef", 5, 10)), "ef");
  EXPECT_EQ(B(Mid("abcdef", 5, std::numeric_limits<qint64>::max())), "ef");
  EXPECT_EQ(B(Left("abc", 2)), "ab");
  EXPECT_EQ(B(Left("abc", 9)), "abc");
  EXPECT_EQ(B(Right("abc", 1)), "c");
  EXPECT_EQ(B(Right("abc", 9)), "abc");
  EXPECT_EQ(Len("abc"), 3);
}

TEST(TextTest, countBelowOneGivesEmptyText) {
  EXPECT_EQ(B(Left("abc", 0)), "");
  EXPECT_EQ(B(Left("abc", -5)), "");
  EXPECT_EQ(B(Right("abc", -1)), "");
  EXPECT_EQ(B(Mid("abc", 1, 0)), "");
  EXPECT_EQ(B(Mid("abc", 1, std::numeric_limits<qint64>::min())), "");
}

TEST(TextTest, valReadsTheLeadingNumberOnly) {
  EXPECT_EQ(Val("6>"), 6.0);
  EXPECT_EQ(Val("3:S>"), 3.0);
  EXPECT_EQ(Val("  42abc"), 42.0);
  EXPECT_EQ(Val("\t-7"), -7.0);
  EXPECT_EQ(Val("+5"), 5.0);
  EXPECT_EQ(Val("14.074"), 14.074);
  EXPECT_EQ(Val(".5"), 0.5);
  EXPECT_EQ(Val("5."), 5.0);
  EXPECT_EQ(Val("1e3>"), 1000.0);
  EXPECT_EQ(Val("1E-2"), 0.01);
  EXPECT_EQ(Val("2e"), 2.0);    // an exponent mark without digits is not read
  EXPECT_EQ(Val("2e+>"), 2.0);
}

TEST(TextTest, valGivesZeroWithoutANumber) {
  EXPECT_EQ(Val(""), 0.0);
  EXPECT_EQ(Val(">"), 0.0);
  EXPECT_EQ(Val("-"), 0.0);
  EXPECT_EQ(Val("."), 0.0);
  EXPECT_EQ(Val("-.e5"), 0.0);
  EXPECT_EQ(Val("abc"), 0.0);
  EXPECT_EQ(Val("nan"), 0.0);
  EXPECT_EQ(Val("inf"), 0.0);
  EXPECT_EQ(Val("0x10"), 0.0);
}

TEST(TextTest, valSurvivesHugeDigitRuns) {
  EXPECT_EQ(Val("99999999999999999999"), 1e20);
  EXPECT_TRUE(std::isinf(Val(QByteArray(400, '9'))));
  EXPECT_EQ(Val("0." + QByteArray(400, '0') + "1"), 0.0);
  EXPECT_TRUE(std::isinf(Val("1e99999999999999999999999")));
  EXPECT_EQ(Val("1e-99999999999999999999999"), 0.0);
  EXPECT_EQ(Val("0e99999999999999999999999"), 0.0);
  EXPECT_EQ(Val(QByteArray(100000, '0') + "7"), 7.0);
}

TEST(TextTest, valNeverReadsPastTheView) {
  const char digits[] = "12345";
  EXPECT_EQ(Val(QByteArrayView(digits, 2)), 12.0);
  EXPECT_EQ(Val(QByteArrayView(digits, 0)), 0.0);
  const char exponent[] = "1e5";
  EXPECT_EQ(Val(QByteArrayView(exponent, 2)), 1.0);
}

TEST(TextTest, cdblUsesDotWhateverTheLocale) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const QByteArray previousName = previous ? QByteArray(previous) : QByteArray("C");
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // may be unavailable; the default locale still differs
  EXPECT_EQ(CDbl("14.074"), 14.074);
  EXPECT_EQ(CDbl("14,074"), 14.0);
  EXPECT_EQ(CDbl("1296.200"), 1296.2);
  std::setlocale(LC_ALL, previousName.constData());
  QLocale::setDefault(saved);
}

TEST(TextTest, strGivesWholeNumbersWithoutPoint) {
  EXPECT_EQ(Str(qint64{14}), "14");
  EXPECT_EQ(Str(qint64{-1}), "-1");
  EXPECT_EQ(Str(14.0), "14");
  EXPECT_EQ(Str(-0.0), "0");
  EXPECT_EQ(Str(1e20), "100000000000000000000");
  EXPECT_EQ(Str(1.25), "1.25");
}

TEST(TextTest, formatPadsWithZeros) {
  EXPECT_EQ(Format(7, "00"), "07");
  EXPECT_EQ(Format(12, "00"), "12");
  EXPECT_EQ(Format(123, "00"), "123");
  EXPECT_EQ(Format(2024, "0000"), "2024");
  EXPECT_EQ(Format(5, "0000"), "0005");
  EXPECT_EQ(Format(-5, "00"), "-05");
  EXPECT_EQ(Format(std::numeric_limits<qint64>::min(), "00"), "-9223372036854775808");
}

TEST(TextTest, roundTakesHalvesAwayFromZero) {
  EXPECT_EQ(Round(2.5), 3.0);
  EXPECT_EQ(Round(-2.5), -3.0);
  EXPECT_EQ(Round(2.4), 2.0);
  EXPECT_EQ(Floor(2.9), 2.0);
  EXPECT_EQ(Floor(-0.5), -1.0);
}

TEST(TextTest, trimUppercaseAndChr) {
  EXPECT_EQ(B(Trim(" \t N0CALL \r\n")), "N0CALL");
  EXPECT_EQ(B(Trim("   ")), "");
  EXPECT_EQ(B(Trim("")), "");
  EXPECT_EQ(Uppercase("n0call-\xE9"), "N0CALL-\xE9");
  EXPECT_EQ(Chr(13), "\r");
  EXPECT_EQ(Chr(10), "\n");
  EXPECT_EQ(Chr(0), QByteArray(1, '\0'));
  EXPECT_EQ(Chr(255), "\xFF");
  EXPECT_EQ(Chr(256), "");
  EXPECT_EQ(Chr(-1), "");
  EXPECT_EQ(B(EndOfLine), "\n");
}

TEST(TextTest, replaceAllReplacesEveryOccurrence) {
  EXPECT_EQ(ReplaceAll("a[b[[c", "[", ""), "abc");
  EXPECT_EQ(ReplaceAll("x<eor>y<EOR>", "<EOR>", "|"), "x|y|");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("", "a", "x"), "");
}

TEST(TextTest, splitKeepsWhatFollowsTheLastSeparator) {
  QList<QByteArrayView> pieces = Split("a<EOR>b<eor>", "<EOR>");
  ASSERT_EQ(pieces.size(), 3);
  EXPECT_EQ(B(pieces[0]), "a");
  EXPECT_EQ(B(pieces[1]), "b");
  EXPECT_EQ(B(pieces[2]), "");

  pieces = Split("<EOR><EOR>", "<EOR>");
  ASSERT_EQ(pieces.size(), 3);
  for (QByteArrayView piece : pieces) EXPECT_TRUE(piece.isEmpty());

  pieces = Split("", "<EOR>");
  ASSERT_EQ(pieces.size(), 1);
  EXPECT_TRUE(pieces[0].isEmpty());

  pieces = Split("abc", "");
  ASSERT_EQ(pieces.size(), 1);
  EXPECT_EQ(B(pieces[0]), "abc");
}

TEST(TextTest, equalsIgnoresAsciiLetterCaseOnly) {
  EXPECT_TRUE(Equals("PortName", "portname"));
  EXPECT_TRUE(Equals("", ""));
  EXPECT_FALSE(Equals("a", "ab"));
  EXPECT_FALSE(Equals("\xE9", "\xC9"));
  EXPECT_FALSE(Equals("@", "`"));  // neighbours of the letters differ by the case bit but are no letters
}
