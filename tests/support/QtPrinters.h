#pragma once
// Readable Qt values in GoogleTest failure messages. Every test file that compares Qt values includes
// this, so that each program prints them alike whatever the link order. A long value is cut to its
// length and its ends; BytesEq and TextEq show two values around their first difference.
#include <gtest/gtest.h>

#include <QByteArrayView>
#include <QFlags>
#include <QSize>
#include <QString>
#include <algorithm>
#include <ostream>
#include <string>
#include <type_traits>

namespace testsupport {

// One byte as in a C string literal ("\r", "\n", "\xFF"; printable ASCII as itself).
inline std::string Escaped(char c) {
  if (c == '"' || c == '\\') return std::string{'\\', c};
  if (c >= ' ' && c < 127) return std::string(1, c);
  if (c == '\r' || c == '\n' || c == '\t') return c == '\r' ? "\\r" : c == '\n' ? "\\n" : "\\t";
  return "\\x" + QByteArray(1, c).toHex().toUpper().toStdString();
}
// One character: ASCII as a byte, a letter or digit beyond it as itself, anything else as \u{code}.
inline std::string Escaped(QChar c) {
  if (c.unicode() < 128) return Escaped(char(c.unicode()));
  if (c.isLetterOrNumber()) return QString(c).toStdString();
  return "\\u{" + QByteArray::number(c.unicode(), 16).toUpper().toStdString() + "}";
}

template <typename View>
std::string Quoted(View v, qsizetype from, qsizetype to) {
  std::string out = "\"";
  for (qsizetype i = std::max<qsizetype>(from, 0); i < std::min(to, v.size()); ++i) out += Escaped(v[i]);
  return out + "\"";
}
template <typename View>
const char* UnitName(View) {
  return std::is_same_v<View, QByteArrayView> ? "bytes" : "characters";
}

// The whole value up to 200 units; else its ends and its length.
template <typename View>
std::string Shown(View v) {
  constexpr qsizetype kWhole = 200, kEnd = 80;
  if (v.size() <= kWhole) return Quoted(v, 0, v.size());
  return Quoted(v, 0, kEnd) + "..." + Quoted(v, v.size() - kEnd, v.size()) + " (" + std::to_string(v.size()) +
         " " + UnitName(v) + ")";
}

// Where `actual` first differs from `expected`: the offset, both lengths and a window of each around it.
template <typename View>
std::string Difference(View actual, View expected) {
  qsizetype at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  const qsizetype from = std::max<qsizetype>(at - 24, 0), to = at + 40;
  const auto around = [&](View v) {
    return (from ? "..." : "") + Quoted(v, from, to) + (to < v.size() ? "..." : " (end)");
  };
  return "first difference at " + std::to_string(at) + " of " + std::to_string(actual.size()) + " " +
         UnitName(actual) + " (expected " + std::to_string(expected.size()) + "), from " + std::to_string(from) +
         ":\n    actual:   " + around(actual) + "\n    expected: " + around(expected);
}

// EXPECT_TRUE(BytesEq(actual, expected)): on failure, the bytes around the first difference, not both whole.
inline ::testing::AssertionResult BytesEq(QByteArrayView actual, QByteArrayView expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << Difference(actual, expected);
}
inline ::testing::AssertionResult TextEq(QStringView actual, QStringView expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << Difference(actual, expected);
}

}  // namespace testsupport

inline void PrintTo(QByteArrayView b, std::ostream* os) { *os << testsupport::Shown(b); }
inline void PrintTo(const QByteArray& b, std::ostream* os) { PrintTo(QByteArrayView(b), os); }
inline void PrintTo(const QString& s, std::ostream* os) { *os << testsupport::Shown(QStringView(s)); }
inline void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << 'x' << s.height(); }
template <typename Enum>
void PrintTo(QFlags<Enum> f, std::ostream* os) { *os << "flags 0x" << std::hex << f.toInt() << std::dec; }
// A literal compared with Qt text shows as text, where GoogleTest would show its address.
namespace testing::internal {
template <>
class FormatForComparison<const char*, QByteArray> {
 public:
  static std::string Format(const char* s) { return PrintToString(s); }
};
template <>
class FormatForComparison<const char*, QString> : public FormatForComparison<const char*, QByteArray> {};
}  // namespace testing::internal
