#pragma once
// Text services over byte strings. The ADIF buffer holds the bytes exactly as
// received, so a character is a byte and every position and length counts bytes.
// Positions are 1-based; 0 means "not found".
//
// Functions returning QByteArrayView return a view into their argument: keep
// the argument alive while the view is used.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <cstdint>

namespace platform {

// The platform line break.
inline constexpr QByteArrayView EndOfLine{"\n"};

// Position of the first occurrence of `find` in `text`, ignoring ASCII letter
// case (other bytes compare exactly); 0 when absent or when `find` is empty.
qsizetype InStr(QByteArrayView text, QByteArrayView find);

// From 1-based `start` to the end. A start below 1 counts as 1; past the end gives "".
QByteArrayView Mid(QByteArrayView text, qint64 start);
// At most `count` bytes from 1-based `start`; a count below 1 gives "".
QByteArrayView Mid(QByteArrayView text, qint64 start, qint64 count);
// The first / last `count` bytes; the whole text when count >= length; "" when count < 1.
QByteArrayView Left(QByteArrayView text, qint64 count);
QByteArrayView Right(QByteArrayView text, qint64 count);
inline qsizetype Len(QByteArrayView text) { return text.size(); }

// Leading number, C locale: skips leading blanks, optional sign, digits,
// optional fraction, optional exponent. No number gives 0.
double Val(QByteArrayView text);
// The text's number with "." as the decimal point whatever the user's locale;
// reads the leading number as Val does (so no number gives 0).
double CDbl(QByteArrayView text);

// Decimal text of an integer ("-1", "14").
QByteArray Str(qint64 number);
// Decimal text of a double: a whole number gives its digits with no point.
QByteArray Str(double number);
// Digits padded with leading zeros to the width of `pattern` ("00" or "0000").
QByteArray Format(qint64 number, QByteArrayView pattern);

double Floor(double x);
// The whole part toward zero as an Integer, saturated at the Integer range;
// NaN gives 0. Lengths read from received text can be any size.
qint64 ToInteger(double x);
// Nearest whole number; halves round away from zero.
double Round(double x);

// Without ASCII white space (space, tab, CR, LF, VT, FF) at either end.
QByteArrayView Trim(QByteArrayView text);
// ASCII letters in upper case; other bytes unchanged.
QByteArray Uppercase(QByteArrayView text);
// The one-byte text of `code` (0..255).
QByteArray Chr(int code);

// Every occurrence of `find` (ASCII case ignored) replaced by `with`; an empty
// `find` leaves the text unchanged.
QByteArray ReplaceAll(QByteArrayView text, QByteArrayView find, QByteArrayView with);

// Pieces between separators (ASCII case ignored), separators dropped; n
// separators give n + 1 pieces, the last being what follows the last separator.
// The empty text gives one empty piece.
QList<QByteArrayView> Split(QByteArrayView text, QByteArrayView separator);

// Equality ignoring ASCII letter case; other bytes compare exactly.
bool Equals(QByteArrayView a, QByteArrayView b);

}  // namespace platform
