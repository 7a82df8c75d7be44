#pragma once
// Readable Qt values in GoogleTest failure messages. Every test file that compares Qt values includes
// this, so that each program prints them alike whatever the link order.
#include <gtest/gtest.h>

#include <QByteArrayView>
#include <QFlags>
#include <QSize>
#include <QString>
#include <ostream>

// Bytes as a C string literal ("\r\n", "\xFF", "\x00" as such), never cut short.
inline void PrintTo(QByteArrayView b, std::ostream* os) {
  *os << '"';
  for (const char c : b)
    if (c >= ' ' && c < 127 && c != '"' && c != '\\') *os << c;
    else *os << (c == '\r' ? "\\r" : c == '\n' ? "\\n" : "\\x" + QByteArray(1, c).toHex().toUpper()).constData();
  *os << '"';
}
inline void PrintTo(const QByteArray& b, std::ostream* os) { PrintTo(QByteArrayView(b), os); }
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
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
