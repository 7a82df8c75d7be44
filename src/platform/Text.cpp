#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace platform {

namespace {

constexpr unsigned char FoldAscii(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsWhite(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Compares `n` bytes, ignoring ASCII letter case.
bool SameIgnoringCase(const char* a, const char* b, qsizetype n) {
  for (qsizetype i = 0; i < n; ++i) {
    if (FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// 0-based offset of the first occurrence of `find` in `text` at or after
// `from`, or -1. Markers and tags start with "<", so the common case is a
// memchr hop to each candidate byte.
qsizetype FindFrom(QByteArrayView text, QByteArrayView find, qsizetype from) {
  const qsizetype n = find.size();
  if (n == 0 || from < 0 || text.size() - from < n) return -1;
  const char* const base = text.data();
  const char* const lastStart = base + (text.size() - n);  // last place a match can begin
  const unsigned char first = static_cast<unsigned char>(find[0]);
  const char* rest = find.data() + 1;
  const char* p = base + from;
  if (!IsAsciiLetter(first)) {
    while (p <= lastStart) {
      const void* hit = std::memchr(p, first, static_cast<size_t>(lastStart - p + 1));
      if (hit == nullptr) return -1;
      p = static_cast<const char*>(hit);
      if (SameIgnoringCase(p + 1, rest, n - 1)) return p - base;
      ++p;
    }
    return -1;
  }
  const unsigned char folded = FoldAscii(first);
  for (; p <= lastStart; ++p) {
    if (FoldAscii(static_cast<unsigned char>(*p)) == folded && SameIgnoringCase(p + 1, rest, n - 1))
      return p - base;
  }
  return -1;
}

// A decimal exponent estimate saturates rather than overflows on absurd inputs.
qint64 SaturatingAdd(qint64 a, qint64 b) {
  qint64 r = 0;
  if (__builtin_add_overflow(a, b, &r))
    return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
  return r;
}

// The leading decimal number of `text`, C locale. Reads only inside the view.
double LeadingNumber(QByteArrayView text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;

  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  const char* const mantissa = p;
  qint64 significantIntDigits = 0;  // integer digits after leading zeros
  bool seenNonZero = false;
  qint64 leadingFractionZeros = 0;
  qint64 digitCount = 0;
  while (p < end && IsDigit(*p)) {
    if (*p != '0') seenNonZero = true;
    if (seenNonZero) ++significantIntDigits;
    ++digitCount;
    ++p;
  }
  if (p < end && *p == '.') {
    ++p;
    while (p < end && IsDigit(*p)) {
      if (*p != '0') seenNonZero = true;
      if (!seenNonZero) ++leadingFractionZeros;
      ++digitCount;
      ++p;
    }
  }
  if (digitCount == 0) return 0.0;

  qint64 exponent = 0;
  if (p < end && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    bool negativeExponent = false;
    if (q < end && (*q == '+' || *q == '-')) {
      negativeExponent = *q == '-';
      ++q;
    }
    if (q < end && IsDigit(*q)) {
      while (q < end && IsDigit(*q)) {
        const qint64 digit = *q - '0';
        if (exponent <= (std::numeric_limits<qint64>::max() - digit) / 10) exponent = exponent * 10 + digit;
        else exponent = std::numeric_limits<qint64>::max();
        ++q;
      }
      if (negativeExponent) exponent = -exponent;
      p = q;
    }
  }
  if (!seenNonZero) return negative ? -0.0 : 0.0;

  double value = 0.0;
  const std::from_chars_result r = std::from_chars(mantissa, p, value, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Too big or too small for a double: decide by the decimal magnitude.
    const qint64 magnitude = SaturatingAdd(
        significantIntDigits > 0 ? significantIntDigits : -leadingFractionZeros, exponent);
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (r.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

qsizetype InStr(QByteArrayView text, QByteArrayView find) { return FindFrom(text, find, 0) + 1; }

QByteArrayView Mid(QByteArrayView text, qint64 start) {
  if (start < 1) start = 1;
  if (start > text.size()) return {};
  return text.sliced(static_cast<qsizetype>(start - 1));
}

QByteArrayView Mid(QByteArrayView text, qint64 start, qint64 count) {
  if (count < 1) return {};
  const QByteArrayView rest = Mid(text, start);
  return rest.first(static_cast<qsizetype>(std::min<qint64>(count, rest.size())));
}

QByteArrayView Left(QByteArrayView text, qint64 count) {
  if (count < 1) return {};
  return text.first(static_cast<qsizetype>(std::min<qint64>(count, text.size())));
}

QByteArrayView Right(QByteArrayView text, qint64 count) {
  if (count < 1) return {};
  return text.last(static_cast<qsizetype>(std::min<qint64>(count, text.size())));
}

double Val(QByteArrayView text) { return LeadingNumber(text); }

double CDbl(QByteArrayView text) { return LeadingNumber(text); }

QByteArray Str(qint64 number) { return QByteArray::number(number); }

QByteArray Str(double number) {
  char buffer[400];  // the longest whole double in fixed notation has 309 digits
  std::to_chars_result r{};
  if (std::isfinite(number) && number == std::floor(number)) {
    if (number == 0.0) return QByteArrayLiteral("0");  // no "-0"
    r = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, 0);
  } else {
    r = std::to_chars(buffer, buffer + sizeof buffer, number);
  }
  return QByteArray(buffer, r.ptr - buffer);
}

QByteArray Format(qint64 number, QByteArrayView pattern) {
  const bool negative = number < 0;
  // Through unsigned, so that the smallest qint64 has a magnitude too.
  const quint64 magnitude = negative ? 0 - static_cast<quint64>(number) : static_cast<quint64>(number);
  QByteArray digits = QByteArray::number(magnitude);
  if (digits.size() < pattern.size()) digits.prepend(pattern.size() - digits.size(), '0');
  if (negative) digits.prepend('-');
  return digits;
}

double Floor(double x) { return std::floor(x); }

double Round(double x) { return std::round(x); }

QByteArrayView Trim(QByteArrayView text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && IsWhite(text[begin])) ++begin;
  while (end > begin && IsWhite(text[end - 1])) --end;
  return text.sliced(begin, end - begin);
}

QByteArray Uppercase(QByteArrayView text) {
  QByteArray result(text.data(), text.size());
  for (char& c : result) c = static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
  return result;
}

QByteArray Chr(int code) {
  if (code < 0 || code > 255) return {};
  return QByteArray(1, static_cast<char>(static_cast<unsigned char>(code)));
}

QByteArray ReplaceAll(QByteArrayView text, QByteArrayView find, QByteArrayView with) {
  QByteArray result;
  if (find.isEmpty()) return QByteArray(text.data(), text.size());
  result.reserve(text.size());
  qsizetype from = 0;
  for (qsizetype hit = FindFrom(text, find, 0); hit >= 0; hit = FindFrom(text, find, from)) {
    result.append(text.sliced(from, hit - from));
    result.append(with);
    from = hit + find.size();
  }
  result.append(text.sliced(from));
  return result;
}

QList<QByteArrayView> Split(QByteArrayView text, QByteArrayView separator) {
  QList<QByteArrayView> pieces;
  if (separator.isEmpty()) {
    pieces.append(text);
    return pieces;
  }
  qsizetype from = 0;
  for (qsizetype hit = FindFrom(text, separator, 0); hit >= 0; hit = FindFrom(text, separator, from)) {
    pieces.append(text.sliced(from, hit - from));
    from = hit + separator.size();
  }
  pieces.append(text.sliced(from));
  return pieces;
}

bool Equals(QByteArrayView a, QByteArrayView b) {
  return a.size() == b.size() && SameIgnoringCase(a.data(), b.data(), a.size());
}

qint64 ToInteger(double x) {
  if (std::isnan(x)) return 0;
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (x >= kTwoTo63) return std::numeric_limits<qint64>::max();
  if (x <= -kTwoTo63) return std::numeric_limits<qint64>::min();
  return static_cast<qint64>(x);
}

}  // namespace platform
