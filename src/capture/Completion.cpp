#include "capture/Completion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/Text.h"

namespace capture {

namespace {

using platform::CDbl;
using platform::Floor;
using platform::InStr;
using platform::Val;

constexpr QByteArrayView kFreqTag{"<FREQ:"};
constexpr QByteArrayView kRstRcvdTag{"<RST_RCVD:"};
constexpr QByteArrayView kRstSentTag{"<RST_SENT:"};
constexpr QByteArrayView kEmptyBand{"<BAND:0>"};
constexpr QByteArrayView kEmptyReports{"<RST_RCVD:0><RST_SENT:0>"};
constexpr QByteArrayView kUnknownBand{"<BAND:2>??"};
constexpr QByteArrayView kEor{"<EOR>"};
constexpr QByteArrayView kEoh{"<EOH>"};

// The longest band field, "<BAND:5>1.25M".
constexpr qsizetype kLongestBandField = 13;

// The band plan: frequencies (whole MHz) from `low` through `high` share the
// field of `low`. Single-MHz bands are their own range.
struct Band {
  double low;
  double high;
  QByteArrayView field;
};
constexpr Band kBands[] = {
    {1, 2, "<BAND:4>160M"},   {3, 4, "<BAND:3>80M"},     {5, 5, "<BAND:3>60M"},
    {7, 7, "<BAND:3>40M"},    {10, 10, "<BAND:3>30M"},   {14, 14, "<BAND:3>20M"},
    {18, 18, "<BAND:3>17M"},  {21, 21, "<BAND:3>15M"},   {24, 24, "<BAND:3>12M"},
    {28, 29, "<BAND:3>10M"},  {50, 54, "<BAND:2>6M"},    {144, 148, "<BAND:2>2M"},
    {222, 225, "<BAND:5>1.25M"}, {420, 450, "<BAND:4>70CM"}, {902, 928, "<BAND:4>33CM"},
    {1240, 1300, "<BAND:4>23CM"},
};

QByteArrayView BandFieldForMHz(double wholeMHz) {
  for (const Band& band : kBands) {
    if (wholeMHz >= band.low && wholeMHz <= band.high) return band.field;
  }
  return kUnknownBand;  // also NaN, infinities and everything below 1 MHz
}

// Integer part toward zero, saturated, so that an announced length such as
// "1e300" can neither overflow nor be undefined; NaN counts as 0.
qint64 WholePart(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLimit = 9.2e18;  // a little below 2^63
  if (value >= kLimit) return std::numeric_limits<qint64>::max();
  if (value <= -kLimit) return std::numeric_limits<qint64>::min();
  return static_cast<qint64>(value);
}

// The tag's length text: the bytes after `tagEnd` (0-based, just past the
// colon) up to and including the first ">" among at most `maxScan` bytes.
struct LengthText {
  bool closed = false;      // a ">" was found within the scan
  qsizetype gtIndex = -1;   // 0-based index of that ">" in the record
  qsizetype scanned = 0;    // j at which the scan stopped
  qint64 length = 0;        // integer part of Val of the length text
};

LengthText ScanLength(QByteArrayView record, qsizetype afterColon, qsizetype maxScan) {
  LengthText result;
  const qsizetype available = std::max<qsizetype>(0, record.size() - afterColon);
  const qsizetype limit = std::min(available, maxScan + 1);
  for (qsizetype j = 0; j < limit; ++j) {
    if (record[afterColon + j] == '>') {
      result.closed = true;
      result.gtIndex = afterColon + j;
      result.scanned = j;
      result.length = WholePart(Val(record.sliced(afterColon, j + 1)));
      return result;
    }
  }
  result.scanned = maxScan;
  return result;
}

// Where the BAND field goes (the number of record bytes before it) and which.
struct BandPlacement {
  qsizetype splitAt = 0;
  QByteArrayView field = kEmptyBand;
};

BandPlacement PlaceBand(QByteArrayView record) {
  const qsizetype p = InStr(record, kFreqTag);
  if (p == 0) return {};  // no frequency: the empty field goes in front
  const qsizetype afterColon = p - 1 + kFreqTag.size();
  // The length text has at most two characters before ">". A longer one (a
  // three-digit length, or a type indicator as in "<FREQ:6:N>") or a negative
  // one cannot be read safely: the empty field goes in front, leaving the FREQ
  // field whole.
  const LengthText length = ScanLength(record, afterColon, 3);
  if (!length.closed || length.scanned > 2 || length.length < 0) return {};

  const qsizetype valueStart = length.gtIndex + 1;
  const qsizetype valueLength =
      static_cast<qsizetype>(std::min<qint64>(length.length, record.size() - valueStart));
  if (length.length == 0) return {valueStart, kEmptyBand};

  const QByteArrayView value = record.sliced(valueStart, valueLength);
  double mhz = CDbl(value);
  if (InStr(value, ".") == 0) mhz /= 1000.0;  // no decimal point: kHz
  return {valueStart + valueLength, BandFieldForMHz(Floor(mhz))};
}

void AppendDecimal(QByteArray& out, qsizetype number) {
  char digits[24];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, number);
  out.append(digits, r.ptr - digits);
}

void AppendReportField(QByteArray& out, QByteArrayView tag, QByteArrayView report) {
  out.append(tag);
  AppendDecimal(out, report.size());
  out.append('>');
  out.append(report);
}

// Appends the record with its first RST_RCVD field split in two.
void AppendRstSent(QByteArray& out, QByteArrayView record) {
  const qsizetype p = InStr(record, kRstRcvdTag);
  if (p == 0) {
    out.append(kEmptyReports);
    out.append(record);
    return;
  }
  const qsizetype tagStart = p - 1;
  const LengthText length = ScanLength(record, tagStart + kRstRcvdTag.size(), 14);
  out.append(record.first(tagStart));
  if (!length.closed) {
    // No ">" close enough to be this tag's: mark the record and keep every byte.
    out.append(kEmptyReports);
    out.append(record.sliced(tagStart));
    return;
  }
  const qsizetype reportStart = length.gtIndex + 1;
  // A length text of fourteen characters counts as 0; a negative one too.
  const qint64 announced = length.scanned >= 14 ? 0 : std::max<qint64>(length.length, 0);
  const qsizetype reportLength =
      static_cast<qsizetype>(std::min<qint64>(announced, record.size() - reportStart));
  const QByteArrayView report = record.sliced(reportStart, reportLength);
  const qsizetype slash = report.indexOf('/');
  if (report.isEmpty()) {
    out.append(kEmptyReports);
  } else if (slash < 0) {
    AppendReportField(out, kRstRcvdTag, report);
    AppendReportField(out, kRstSentTag, {});
  } else {
    AppendReportField(out, kRstRcvdTag, report.first(slash));
    AppendReportField(out, kRstSentTag, report.sliced(slash + 1));
  }
  out.append(record.sliced(reportStart + reportLength));
}

void AppendBandFromFreq(QByteArray& out, QByteArrayView record) {
  const BandPlacement band = PlaceBand(record);
  out.append(record.first(band.splitAt));
  out.append(band.field);
  out.append(record.sliced(band.splitAt));
}

qsizetype DecimalDigits(qsizetype number) {
  qsizetype digits = 1;
  while (number >= 10) {
    number /= 10;
    ++digits;
  }
  return digits;
}

}  // namespace

QByteArray GetBandFromFreq(QByteArrayView record) {
  QByteArray out;
  out.reserve(record.size() + kLongestBandField);
  AppendBandFromFreq(out, record);
  return out;
}

QByteArray DeriveRstSent(QByteArrayView record) {
  QByteArray out;
  out.reserve(record.size() + kEmptyReports.size() + 2 * 20);
  AppendRstSent(out, record);
  return out;
}

void AddFields(QByteArray& adifData, QByteArrayView callText) {
  const QList<QByteArrayView> pieces = platform::Split(adifData, kEor);
  if (pieces.size() < 2) {
    // No record at all: only the header survives.
    const qsizetype h = InStr(adifData, kEoh);
    adifData.truncate(h > 0 ? h - 1 + kEoh.size() : 0);
    return;
  }

  // Without "<EOH>" in the first piece there is no header, and the whole first
  // piece is a record, so none of its tags is hidden from completion.
  const QByteArrayView firstPiece = pieces.front();
  const qsizetype h = InStr(firstPiece, kEoh);
  const qsizetype headerLength = h > 0 ? h - 1 + kEoh.size() : 0;

  const QByteArrayView call = platform::Trim(callText);
  QByteArray stationField("<STATION_CALLSIGN:");
  AppendDecimal(stationField, call.size());
  stationField.append('>');
  stationField.append(call);
  stationField.append(kEor);

  // Each record grows by at most one band field, the two report fields'
  // tags and lengths, and the station field: reserve once, never reallocate.
  const qsizetype records = pieces.size() - 1;
  const qsizetype reportGrowth =
      std::max<qsizetype>(kEmptyReports.size(), 2 * kRstRcvdTag.size() + 2 * DecimalDigits(adifData.size()) + 2);
  const qsizetype perRecord = kLongestBandField + reportGrowth + stationField.size();
  const qsizetype lastPieceStart = pieces.back().data() - adifData.constData();
  QByteArray out;
  out.reserve(lastPieceStart + records * perRecord);
  out.append(firstPiece.first(headerLength));

  QByteArray banded;  // reused: holds one record with its band field
  for (qsizetype i = 0; i < records; ++i) {
    const QByteArrayView record = i == 0 ? firstPiece.sliced(headerLength) : pieces[i];
    banded.resize(0);
    AppendBandFromFreq(banded, record);
    AppendRstSent(out, banded);
    out.append(stationField);
  }
  adifData = std::move(out);
}

}  // namespace capture
