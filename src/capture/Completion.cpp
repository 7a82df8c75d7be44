#include "capture/Completion.h"

#include <algorithm>
#include <charconv>
#include <cstring>
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

// The tag's length text: the bytes from `afterColon` (0-based, just past the
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
      result.length = platform::ToInteger(Val(record.sliced(afterColon, j + 1)));
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

// `p` is the 1-based position of the first "<FREQ:" in the record, 0 if none.
BandPlacement PlaceBand(QByteArrayView record, qsizetype p) {
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

qsizetype DecimalDigits(qsizetype number) {
  qsizetype digits = 1;
  for (; number >= 10; number /= 10) ++digits;
  return digits;
}

// Sizes are signed. Testing "> 0" rather than "!= 0" before a size becomes
// memcpy's unsigned count lets the optimiser see that the count can never be a
// negative size turned huge, even on paths it cannot prove never run.
char* Put(char* to, QByteArrayView bytes) {
  const qsizetype size = bytes.size();
  if (size > 0) std::memcpy(to, bytes.data(), static_cast<size_t>(size));
  return to + size;
}

char* PutDecimal(char* to, qsizetype number) {
  return std::to_chars(to, to + DecimalDigits(number), number).ptr;
}

// How the first RST_RCVD field of a record is rewritten: the bytes from
// `from` up to `resume` are replaced by the two report fields.
struct Reports {
  bool write = true;  // false: the record's reports are left alone
  bool tagFound = true;  // false: the fields go in front of the whole record
  qsizetype from = 0;
  qsizetype resume = 0;
  bool empty = true;  // both fields empty
  QByteArrayView received;
  QByteArrayView sent;
  // The end of the bytes that were read to decide this; kToRecordEnd when the
  // reading ran into the record's end (so bytes appended there would count).
  qsizetype examinedEnd = 0;
};

constexpr qsizetype kToRecordEnd = std::numeric_limits<qsizetype>::max();

Reports NoReports(QByteArrayView record) {
  Reports r;
  r.write = false;
  r.from = r.resume = r.examinedEnd = record.size();
  return r;
}

// `tag` is the 1-based position of the first "<RST_RCVD:" in the record, 0 if none.
Reports LocateReports(QByteArrayView record, qsizetype tag) {
  Reports r;
  if (tag == 0) {  // no report: both empty fields go in front
    r.tagFound = false;
    return r;
  }
  const qsizetype tagStart = tag - 1;
  const qsizetype afterColon = tagStart + kRstRcvdTag.size();
  const LengthText length = ScanLength(record, afterColon, 14);
  r.from = tagStart;
  if (!length.closed) {
    // No ">" close enough to be this tag's: mark the record in front of the
    // tag and keep every byte.
    r.resume = tagStart;
    r.examinedEnd = record.size() - afterColon > 14 ? afterColon + 15 : kToRecordEnd;
    return r;
  }
  const qsizetype reportStart = length.gtIndex + 1;
  // A length text of fourteen characters counts as 0; a negative one too.
  const qint64 announced = length.scanned >= 14 ? 0 : std::max<qint64>(length.length, 0);
  const qsizetype available = record.size() - reportStart;
  r.examinedEnd = announced > available ? kToRecordEnd : reportStart + static_cast<qsizetype>(announced);
  const qsizetype reportLength = static_cast<qsizetype>(std::min<qint64>(announced, available));
  const QByteArrayView report = record.sliced(reportStart, reportLength);
  r.resume = reportStart + reportLength;
  if (report.isEmpty()) return r;
  r.empty = false;
  const qsizetype slash = report.indexOf('/');
  r.received = slash < 0 ? report : report.first(slash);
  r.sent = slash < 0 ? QByteArrayView() : report.sliced(slash + 1);
  return r;
}

qsizetype ReportsSize(const Reports& r) {
  if (!r.write) return 0;
  if (r.empty) return kEmptyReports.size();
  return kRstRcvdTag.size() + DecimalDigits(r.received.size()) + 1 + r.received.size() + kRstSentTag.size() +
         DecimalDigits(r.sent.size()) + 1 + r.sent.size();
}

char* PutReportField(char* to, QByteArrayView tag, QByteArrayView report) {
  to = Put(to, tag);
  to = PutDecimal(to, report.size());
  *to++ = '>';
  return Put(to, report);
}

char* PutReports(char* to, const Reports& r) {
  if (!r.write) return to;
  if (r.empty) return Put(to, kEmptyReports);
  to = PutReportField(to, kRstRcvdTag, r.received);
  return PutReportField(to, kRstSentTag, r.sent);
}

// A record with its band field and its report fields, when the two edits do
// not overlap: the band goes in before the replaced stretch or after it.
struct Edits {
  QByteArrayView record;
  BandPlacement band;
  Reports reports;

  qsizetype size() const {
    return record.size() + band.field.size() + ReportsSize(reports) - (reports.resume - reports.from);
  }

  char* put(char* to) const {
    const QByteArrayView& r = record;
    const bool bandFirst =
        band.splitAt < reports.from || (band.splitAt == reports.from && reports.tagFound);
    if (bandFirst) {
      to = Put(to, r.first(band.splitAt));
      to = Put(to, band.field);
      to = Put(to, r.sliced(band.splitAt, reports.from - band.splitAt));
      to = PutReports(to, reports);
      return Put(to, r.sliced(reports.resume));
    }
    to = Put(to, r.first(reports.from));
    to = PutReports(to, reports);
    to = Put(to, r.sliced(reports.resume, band.splitAt - reports.resume));
    to = Put(to, band.field);
    return Put(to, r.sliced(band.splitAt));
  }
};

QByteArray Written(const Edits& edits) {
  QByteArray out(edits.size(), Qt::Uninitialized);
  edits.put(out.data());
  return out;
}

// Whether `text` has `tag` (upper case; ASCII letter case ignored in `text`)
// at 0-based `at`. Kept here, inline, since it runs at every "<" of an export.
bool TagAt(QByteArrayView text, qsizetype at, QByteArrayView tag) {
  if (text.size() - at < tag.size()) return false;
  const char* t = text.data() + at;
  for (qsizetype i = 0; i < tag.size(); ++i) {
    char c = t[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
    if (c != tag[i]) return false;
  }
  return true;
}

bool MarkerAt(const unsigned char* b) {
  return (b[0] == '<') & ((b[1] | 0x20) == 'e') & ((b[2] | 0x20) == 'o') & ((b[3] | 0x20) == 'r') & (b[4] == '>');
}

// The number of "<EOR>" markers, ASCII case ignored. The marker cannot overlap
// itself, so counting every match counts the separate markers. Branch-free
// blocks of fixed length let the compiler use vector instructions.
qsizetype CountMarkers(QByteArrayView text) {
  const auto* b = reinterpret_cast<const unsigned char*>(text.data());
  const qsizetype n = text.size();
  constexpr qsizetype kBlock = 64;
  qsizetype count = 0;
  qsizetype i = 0;
  for (; n - i >= kBlock + kEor.size(); i += kBlock) {
    unsigned blockCount = 0;
    for (qsizetype k = 0; k < kBlock; ++k) blockCount += MarkerAt(b + i + k);
    count += blockCount;
  }
  for (; n - i >= kEor.size(); ++i) count += MarkerAt(b + i);
  return count;
}

// Fills the output buffer front to back, growing it only if records turn out
// larger than estimated.
class Output {
 public:
  explicit Output(qsizetype estimate) : buffer_(estimate, Qt::Uninitialized) {}

  char* room(qsizetype bytes) {
    if (buffer_.size() - used_ < bytes) buffer_.resize(std::max(used_ + bytes, buffer_.size() + buffer_.size() / 2));
    return buffer_.data() + used_;
  }
  void advance(char* end) { used_ = end - buffer_.constData(); }
  QByteArray take() {
    buffer_.resize(used_);  // keeps the capacity: squeezing would copy it all
    return std::move(buffer_);
  }

 private:
  QByteArray buffer_;
  qsizetype used_ = 0;
};

}  // namespace

QByteArray GetBandFromFreq(QByteArrayView record) {
  return Written({record, PlaceBand(record, InStr(record, kFreqTag)), NoReports(record)});
}

QByteArray DeriveRstSent(QByteArrayView record) {
  return Written({record, {record.size(), {}}, LocateReports(record, InStr(record, kRstRcvdTag))});
}

void AddFields(QByteArray& adifData, QByteArrayView callText) {
  const QByteArrayView data(adifData);
  const qsizetype firstEor = InStr(data, kEor) - 1;
  // Without "<EOH>" before the first "<EOR>" there is no header, and the whole
  // first piece is a record, so none of its tags is hidden from completion.
  const qsizetype h = InStr(firstEor < 0 ? data : data.first(firstEor), kEoh);
  const qsizetype headerLength = h > 0 ? h - 1 + kEoh.size() : 0;
  if (firstEor < 0) {
    adifData.truncate(headerLength);  // no record at all: only the header survives
    return;
  }

  const QByteArrayView call = platform::Trim(callText);
  QByteArray stationField("<STATION_CALLSIGN:");
  stationField += QByteArray::number(call.size());
  stationField += '>';
  stationField += call;
  stationField += kEor;

  // One buffer for the whole result: the records as they are, plus what a
  // typical record gains. Larger gains grow it; it is never rebuilt per record.
  const qsizetype records = CountMarkers(data.sliced(firstEor));
  const qsizetype typicalGain = kLongestBandField + kEmptyReports.size() + stationField.size();
  Output out(data.size() + records * typicalGain);
  out.advance(Put(out.room(headerLength), data.first(headerLength)));

  QByteArray banded;  // reused for the rare record whose two edits overlap
  const char* const base = data.data();
  const char* const end = base + data.size();
  qsizetype start = headerLength;
  for (;;) {
    // One pass over the record's "<" finds its end and both tags it needs.
    qsizetype freq = 0;
    qsizetype rst = 0;
    qsizetype eor = -1;
    for (const char* p = base + start; p < end; ++p) {
      p = static_cast<const char*>(std::memchr(p, '<', static_cast<size_t>(end - p)));
      if (p == nullptr) break;
      if (end - p < kEor.size()) break;
      const qsizetype at = p - base;
      switch (p[1] | 0x20) {  // most tags are none of the three: skip them at once
        case 'e':
          if (TagAt(data, at, kEor)) eor = at;
          break;
        case 'f':
          if (freq == 0 && TagAt(data, at, kFreqTag)) freq = at - start + 1;
          break;
        case 'r':
          if (rst == 0 && TagAt(data, at, kRstRcvdTag)) rst = at - start + 1;
          break;
        default:
          break;
      }
      if (eor >= 0) break;
    }
    if (eor < 0) break;  // the tail after the last "<EOR>" is dropped

    const QByteArrayView record = data.sliced(start, eor - start);
    Edits edits{record, PlaceBand(record, freq), LocateReports(record, rst)};
    // The band field cannot form or hide a "<RST_RCVD:" tag, so the split may
    // read the record itself unless the band field lands among the bytes it reads.
    const bool separate = edits.band.splitAt <= edits.reports.from ||
                          edits.band.splitAt >= edits.reports.examinedEnd;
    if (!separate) {
      // Split the banded record, exactly as if done in two steps.
      banded = Written({record, edits.band, NoReports(record)});
      edits = {banded, {banded.size(), {}}, LocateReports(banded, InStr(banded, kRstRcvdTag))};
    }
    char* to = out.room(edits.size() + stationField.size());
    to = edits.put(to);
    out.advance(Put(to, stationField));
    start = eor + kEor.size();
  }
  adifData = out.take();
}

}  // namespace capture
