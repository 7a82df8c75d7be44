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

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();

}  // namespace

TEST(TextTest, inStrGivesOneBasedPositionIgnoringAsciiLetterCaseOnly) {
  const struct {
    QByteArray text, find;
    qsizetype at;
  } cases[] = {
      {"abc<EOH>x", "<EOH>", 4}, {"<EOR>", "<EOR>", 1}, {"abc", "<EOR>", 0}, {"abc", "", 0}, {"", "a", 0},
      {"<EO", "<EOR>", 0},  // a partial marker at the very end
      {"a<b<EOR>", "<EOR>", 4}, {"x<eor>", "<EOR>", 2}, {"RST_rcvd", "rst_RCVD", 1}, {"abcB", "b", 2},
      {"\xE9", "\xC9", 0},  // bytes outside ASCII letters compare exactly
      {"[{", "{", 2},       // '[' and '{' are not the case pair of any letter
      {QByteArray("a\0\xFF<EOR>", 8), "<EOR>", 4}, {QByteArray("a\0\xFF<EOR>", 8), QByteArray("\0\xFF", 2), 2},
  };
  for (const auto& c : cases) EXPECT_EQ(InStr(c.text, c.find), c.at) << c.text.toPercentEncoding().constData();
}

TEST(TextTest, midLeftRightClampToTheTextAndCountBelowOneGivesEmptyText) {
  EXPECT_EQ(B(Mid("abcdef", 3)), "cdef");
  EXPECT_EQ(B(Mid("abcdef", 7)), "");
  EXPECT_EQ(B(Mid("abcdef", 0)), "abcdef");
  EXPECT_EQ(B(Mid("abcdef", kMax)), "");
  EXPECT_EQ(B(Mid("abcdef", 2, 3)), "bcd");
  EXPECT_EQ(B(Mid("abcdef", 5, 10)), "ef");
  EXPECT_EQ(B(Mid("abcdef", 5, kMax)), "ef");
  EXPECT_EQ(B(Mid("abc", 1, 0)), "");
  EXPECT_EQ(B(Mid("abc", 1, kMin)), "");
  EXPECT_EQ(B(Left("abc", 2)), "ab");
  EXPECT_EQ(B(Left("abc", 9)), "abc");
  EXPECT_EQ(B(Left("abc", 0)), "");
  EXPECT_EQ(B(Left("abc", -5)), "");
  EXPECT_EQ(B(Right("abc", 1)), "c");
  EXPECT_EQ(B(Right("abc", 9)), "abc");
  EXPECT_EQ(B(Right("abc", -1)), "");
}

TEST(TextTest, valReadsTheLeadingNumberOrGivesZero) {
  const std::pair<QByteArray, double> cases[] = {
      {"6>", 6}, {"3:S>", 3}, {"  42abc", 42}, {"\t-7", -7}, {"+5", 5}, {"14.074", 14.074}, {".5", 0.5},
      {"5.", 5}, {"1e3>", 1000}, {"1E-2", 0.01},
      {"2e", 2}, {"2e+>", 2},  // an exponent mark without digits is not read
      {"", 0}, {">", 0}, {"-", 0}, {".", 0}, {"-.e5", 0}, {"abc", 0}, {"nan", 0}, {"inf", 0}, {"0x10", 0},
      // Huge digit runs neither overflow nor crash.
      {"99999999999999999999", 1e20}, {"0." + QByteArray(400, '0') + "1", 0}, {"1e-99999999999999999999999", 0},
      {"0e99999999999999999999999", 0}, {QByteArray(100000, '0') + "7", 7},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(Val(text), value) << text.left(40).constData();
  EXPECT_TRUE(std::isinf(Val(QByteArray(400, '9'))));
  EXPECT_TRUE(std::isinf(Val("1e99999999999999999999999")));
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

TEST(TextTest, numbersFormatWithoutPointAndPadWithZeros) {
  EXPECT_EQ(Str(qint64{-1}), "-1");
  EXPECT_EQ(Str(14.0), "14");
  EXPECT_EQ(Str(-0.0), "0");
  EXPECT_EQ(Str(1e20), "100000000000000000000");
  EXPECT_EQ(Str(1.25), "1.25");
  EXPECT_EQ(Format(7, "00"), "07");
  EXPECT_EQ(Format(123, "00"), "123");
  EXPECT_EQ(Format(5, "0000"), "0005");
  EXPECT_EQ(Format(-5, "00"), "-05");
  EXPECT_EQ(Format(kMin, "00"), "-9223372036854775808");
}

TEST(TextTest, roundTakesHalvesAwayFromZero) {
  EXPECT_EQ(Round(2.5), 3.0);
  EXPECT_EQ(Round(-2.5), -3.0);
  EXPECT_EQ(Round(2.4), 2.0);
  EXPECT_EQ(Floor(-0.5), -1.0);
}

TEST(TextTest, toIntegerTruncatesAndSaturatesWithoutOverflow) {
  EXPECT_EQ(platform::ToInteger(12.7), 12);
  EXPECT_EQ(platform::ToInteger(-12.7), -12);
  EXPECT_EQ(platform::ToInteger(1e300), std::numeric_limits<qint64>::max());
  EXPECT_EQ(platform::ToInteger(-1e300), std::numeric_limits<qint64>::min());
  EXPECT_EQ(platform::ToInteger(std::nan("")), 0);
}

TEST(TextTest, trimUppercaseAndChr) {
  EXPECT_EQ(B(Trim(" \t N0CALL \r\n")), "N0CALL");
  EXPECT_EQ(B(Trim("   ")), "");
  EXPECT_EQ(Uppercase("n0call-\xE9"), "N0CALL-\xE9");
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
}

TEST(TextTest, splitKeepsWhatFollowsTheLastSeparator) {
  const auto pieces = [](QByteArrayView text, QByteArrayView separator) {
    QList<QByteArray> out;
    for (QByteArrayView piece : Split(text, separator)) out << B(piece);
    return out;
  };
  EXPECT_EQ(pieces("a<EOR>b<eor>", "<EOR>"), QList<QByteArray>({"a", "b", ""}));
  EXPECT_EQ(pieces("<EOR><EOR>", "<EOR>"), QList<QByteArray>({"", "", ""}));
  EXPECT_EQ(pieces("", "<EOR>"), QList<QByteArray>({""}));
  EXPECT_EQ(pieces("abc", ""), QList<QByteArray>({"abc"}));
}

TEST(TextTest, equalsIgnoresAsciiLetterCaseOnly) {
  EXPECT_TRUE(Equals("PortName", "portname"));
  EXPECT_TRUE(Equals("", ""));
  EXPECT_FALSE(Equals("a", "ab"));
  EXPECT_FALSE(Equals("\xE9", "\xC9"));
  EXPECT_FALSE(Equals("@", "`"));  // neighbours of the letters differ by the case bit but are no letters
}
