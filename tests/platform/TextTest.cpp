#include <gtest/gtest.h>

#include <QLocale>
#include <clocale>
#include <cmath>
#include <limits>
#include <tuple>

#include "platform/Text.h"
#include "support/QtPrinters.h"

using namespace platform;

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max(), kMin = std::numeric_limits<qint64>::min();

// A call with its own text, so that a failure names it.
#define CALL(call, expected) {#call, QByteArrayView(call).toByteArray(), expected}

}  // namespace

// A search starting with "<" takes another path than one starting with a letter: both are here.
TEST(TextTest, searchesIgnoreAsciiLetterCaseOnly) {
  const std::tuple<QByteArray, QByteArray, qsizetype> cases[] = {
      {"abc<EOH>x", "<EOH>", 4}, {"<EOR>", "<EOR>", 1}, {"abc", "<EOR>", 0}, {"abc", "", 0}, {"", "a", 0},
      {"<EO", "<EOR>", 0}, {"a<b<EOR>", "<EOR>", 4}, {"x<eor>", "<EOR>", 2}, {"RST_rcvd", "rst_RCVD", 1},
      {"azcB", "Zc", 2}, {"\xE9", "\xC9", 0}, {"[{", "{", 2}, {"@", "`", 0}, {"", "", 0},
      {QByteArray("a\0\xFF<EOR>", 8), "<EOR>", 4}, {QByteArray("a\0\xFF<EOR>", 8), QByteArray("\0\xFF", 2), 2},
  };
  // Equal texts are the ones found at 1 with nothing left over, and two empty ones.
  for (const auto& [text, find, at] : cases) {
    EXPECT_EQ(InStr(text, find), at) << text.toPercentEncoding().constData();
    EXPECT_EQ(Equals(text, find), text.size() == find.size() && (at == 1 || text.isEmpty())) << text.constData();
  }
}

TEST(TextTest, textFunctionsKeepToTheirBounds) {
  const struct { const char* call; QByteArray got, expected; } cases[] = {
      CALL(Mid("abcdef", 3), "cdef"), CALL(Mid("abcdef", 7), ""), CALL(Mid("abcdef", 0), "abcdef"),
      CALL(Mid("abcdef", kMax), ""), CALL(Mid("abcdef", 2, 3), "bcd"), CALL(Mid("abcdef", 5, kMax), "ef"),
      CALL(Mid("abc", 1, 0), ""), CALL(Mid("abc", 1, kMin), ""), CALL(Left("abc", 2), "ab"),
      CALL(Left("abc", 9), "abc"), CALL(Left("abc", 0), ""), CALL(Right("abc", 1), "c"), CALL(Right("abc", 9), "abc"),
      CALL(Right("abc", -1), ""), CALL(Trim(" \t N0CALL \r\n\v\f"), "N0CALL"), CALL(Trim("   "), ""),
      CALL(ReplaceAll("a[b[[c", "[", ""), "abc"), CALL(ReplaceAll("x<eor>y<EOR>", "<EOR>", "|"), "x|y|"),
      CALL(ReplaceAll("aaa", "aa", "b"), "ba"), CALL(ReplaceAll("abc", "", "x"), "abc"), CALL(Str(qint64{-1}), "-1"),
      CALL(Format(7, "00"), "07"), CALL(Format(123, "00"), "123"), CALL(Format(5, "0000"), "0005"),
      CALL(Format(-5, "00"), "-05"), CALL(Format(kMin, "00"), "-9223372036854775808"), CALL(Str(Round(2.5)), "3"),
      CALL(Str(Round(-2.5)), "-3"), CALL(Str(Round(2.4)), "2"), CALL(Str(Floor(-0.5)), "-1"),
      CALL(Str(ToInteger(-12.7)), "-12"), CALL(Str(ToInteger(NAN)), "0"), CALL(Chr(255), "\xFF"), CALL(Chr(256), ""),
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.call;
}

// Lengths and frequencies are read the same whatever the user's locale.
TEST(TextTest, numbersAreReadInTheCLocaleEvenUnderACommaLocale) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const QByteArray previous = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // may be unavailable; the default locale still differs
  const std::pair<QByteArray, double> cases[] = {
      {"6>", 6}, {"3:S>", 3}, {"  42abc", 42}, {"\t-7", -7}, {"+5", 5}, {"14.074", 14.074}, {".5", 0.5},
      {"5.", 5}, {"1e3>", 1000}, {"1E-2", 0.01}, {"2e", 2}, {"2e+>", 2}, {"", 0}, {">", 0}, {"-", 0}, {".", 0},
      {"-.e5", 0}, {"abc", 0}, {"nan", 0}, {"inf", 0}, {"0x10", 0}, {"14,074", 14}, {"1296.200", 1296.2},
      {"99999999999999999999", 1e20}, {"0." + QByteArray(400, '0') + "1", 0}, {"1e-99999999999999999999999", 0},
      {QByteArray(100000, '0') + "7", 7}, {QByteArray(400, '9'), INFINITY}, {"1e99999999999999999999999", INFINITY},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(Val(text), value) << text.left(40).constData();
  EXPECT_EQ(CDbl("14.074"), 14.074) << "a frequency's decimal point";
  EXPECT_EQ(Val(QByteArrayView("12345", 2)), 12.0) << "read past the view's end";
  EXPECT_EQ(Val(QByteArrayView("1e5", 2)), 1.0) << "read past the view's end";
  std::setlocale(LC_ALL, previous.constData());
  QLocale::setDefault(saved);
}
