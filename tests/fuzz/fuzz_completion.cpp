// Random exports, completed with one of a few call signs. Two kinds of checks:
// - Consistency: the header is kept, and each record comes out as band derivation and then the report split
//   make it, closed by the station field. Band derivation puts one well-formed field in among the record's
//   bytes; the split puts two in place of the first report field, or of nothing, carrying its text.
// - The rules themselves, read off the input and the output alone: the station field, the report pair at the
//   first report tag, and for a record whose FREQ and RST_RCVD fields are plain and apart, its whole shape:
//   every byte kept but the old report field, the band label the frequency's, the old report split at its
//   first "/".
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "capture/Completion.h"
#include "platform/Text.h"

static void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_completion: %s\n", what);
  std::abort();
}

// The data of the well-formed field `tag` digits ">" data at `at`, with `at` moved past it; null if none.
static QByteArrayView TakeField(QByteArrayView text, qsizetype& at, QByteArrayView tag) {
  const qsizetype gt = text.indexOf('>', std::max<qsizetype>(at, 0));
  if (at < 0 || gt < 0 || !text.sliced(at).startsWith(tag)) return {};
  const QByteArray digits = text.sliced(at + tag.size(), gt - at - tag.size()).toByteArray();
  const qsizetype length = digits.toLongLong();
  if (length < 0 || digits != QByteArray::number(length) || length > text.size() - gt - 1) return {};
  at = gt + 1 + length;
  return text.sliced(gt + 1, length);
}

// How many bytes of `before` `after` has its bytes from `from` to `to` in place of; -1 if the rest differs.
static qsizetype Replaced(QByteArrayView before, QByteArrayView after, qsizetype from, qsizetype to) {
  const qsizetype replaced = before.size() - from - (after.size() - to);
  const bool same = replaced >= 0 && before.startsWith(after.first(from)) && before.endsWith(after.sliced(to));
  return same ? replaced : -1;
}

// The call sign as typed, and the station field it gives: trimmed, its length in bytes.
struct Call {
  QByteArrayView typed;
  QByteArrayView field;
};
static const Call kCalls[] = {{" K1ABC/P\r\n", "<STATION_CALLSIGN:7>K1ABC/P<EOR>"},
                              {"", "<STATION_CALLSIGN:0><EOR>"},
                              {" \t", "<STATION_CALLSIGN:0><EOR>"},
                              {"\tOK1\xC5\xA0 ", "<STATION_CALLSIGN:5>OK1\xC5\xA0<EOR>"}};

// Each band label with the frequencies it covers, in MHz.
struct Covered {
  QByteArrayView label;
  double from;
  double below;
};
static const Covered kBands[] = {{"160M", 1, 3},    {"80M", 3, 5},       {"60M", 5, 6},       {"40M", 7, 8},
                                 {"30M", 10, 11},   {"20M", 14, 15},     {"17M", 18, 19},     {"15M", 21, 22},
                                 {"12M", 24, 25},   {"10M", 28, 30},     {"6M", 50, 55},      {"2M", 144, 149},
                                 {"1.25M", 222, 226}, {"70CM", 420, 451}, {"33CM", 902, 929}, {"23CM", 1240, 1301}};

static bool IsLabel(QByteArrayView label) {
  for (const Covered& band : kBands)
    if (band.label == label) return true;
  return label == "??" || label.isEmpty();
}

static QByteArrayView LabelFor(double mhz) {
  for (const Covered& band : kBands)
    if (mhz >= band.from && mhz < band.below) return band.label;
  return "??";
}

static qsizetype Find(QByteArrayView text, QByteArrayView lowerTag) {
  return text.toByteArray().toLower().indexOf(lowerTag);
}

// The first field `lowerTag` (any letter case) of a record, when its length is 1 to `maxDigits` digits and all
// of its data is present: where it begins, where its data begins and where it ends. `tag` is -1 with none.
struct Plain {
  bool plain = true;
  qsizetype tag = -1;
  qsizetype data = 0;
  qsizetype end = 0;
};
static Plain PlainField(QByteArrayView record, QByteArrayView lowerTag, qsizetype maxDigits) {
  Plain f;
  f.tag = Find(record, lowerTag);
  if (f.tag < 0) return f;
  const qsizetype digits = record.indexOf('>', f.tag) - f.tag - lowerTag.size();
  f.plain = digits >= 1 && digits <= maxDigits;
  const qsizetype length = f.tag + lowerTag.size();
  for (qsizetype i = 0; f.plain && i < digits; ++i) f.plain = std::isdigit(uchar(record[length + i]));
  if (!f.plain) return f;
  f.data = length + digits + 1;
  f.end = f.data + record.sliced(length, digits).toLongLong();
  f.plain = f.end <= record.size();
  return f;
}

// The label a plain frequency value gives ("14.074" in MHz, "7030" in kHz, "" for none); null for any other.
static QByteArrayView LabelOfValue(QByteArrayView value) {
  if (value.isEmpty()) return "";
  if (value.size() > 9 || value.count('.') > 1 || !std::isdigit(uchar(value.front()))) return {};
  for (const char c : value)
    if (!std::isdigit(uchar(c)) && c != '.') return {};
  const double number = std::strtod(value.toByteArray().constData(), nullptr);
  return LabelFor(value.contains('.') ? number : number / 1000);
}

// Whether a received and a sent report field stand at `at` (moved past them), and split the old report `report`
// (null: not known) at its first "/"; null when they do, else what is wrong.
static const char* ReportsWrong(QByteArrayView out, qsizetype& at, QByteArrayView report) {
  const QByteArrayView received = TakeField(out, at, "<RST_RCVD:");
  const QByteArrayView sent = TakeField(out, at, "<RST_SENT:");
  if (received.isNull() || sent.isNull()) return "the first RST_RCVD is no RST_RCVD field and then an RST_SENT one";
  if (received.contains('/')) return "RST_RCVD holds a slash";
  const bool split = report.contains('/') ? received.toByteArray().append('/').append(sent) == report
                                          : received == report && sent.isEmpty();
  return report.isNull() || split ? nullptr : "RST_RCVD \"/\" RST_SENT is not the old report";
}

// A record whose FREQ and RST_RCVD fields are plain and lie apart comes out as itself with the band field
// right after the frequency value (anywhere, with no FREQ field) and the report pair in place of the old
// report field (in front of all, with none). Any of the output's band fields may be the one put in.
static void CheckPlainRecord(QByteArrayView record, QByteArrayView out, const Plain& freq, const Plain& rst) {
  const QByteArrayView want = freq.tag >= 0 ? LabelOfValue(record.first(freq.end).sliced(freq.data)) : "";
  const qsizetype from = rst.tag >= 0 ? rst.tag : 0;
  const qsizetype to = rst.tag >= 0 ? rst.end : 0;
  const QByteArrayView report = rst.tag >= 0 ? record.first(rst.end).sliced(rst.data) : QByteArrayView("");
  const char* wrong = "no band field with the frequency's label";
  for (qsizetype band = out.indexOf("<BAND:"); band >= 0 && wrong; band = out.indexOf("<BAND:", band + 1)) {
    qsizetype end = band;
    const QByteArrayView label = TakeField(out, end, "<BAND:");
    if (label.isNull() || !(want.isNull() ? IsLabel(label) : label == want)) continue;
    const QByteArray rest = out.first(band).toByteArray().append(out.sliced(end));
    wrong = "record bytes changed around the report pair";
    if (!rest.startsWith(record.first(from)) || !rest.endsWith(record.sliced(to))) continue;
    qsizetype pairEnd = from;
    wrong = ReportsWrong(rest, pairEnd, report);
    if (!wrong && pairEnd + record.size() - to != rest.size()) wrong = "record bytes changed around the report pair";
    if (wrong) continue;
    // At the old field's place the band goes first: derivation put it in before the split ran.
    const bool beforePair = rst.tag >= 0 && band <= from;
    const qsizetype place = beforePair ? band : band - (pairEnd - from) + (to - from);  // in the record
    const bool inPlace = (beforePair || band >= pairEnd) && (freq.tag < 0 || place == freq.end);
    wrong = inPlace ? nullptr : "band field out of place";
  }
  Check(!wrong, wrong);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  const Call& call = kCalls[size % std::size(kCalls)];
  QByteArray completed = input;
  capture::AddFields(completed, call.typed);

  QList<QByteArrayView> records = platform::Split(input, "<EOR>");
  const qsizetype eoh = platform::InStr(records.front(), "<EOH>");
  QByteArray expected = input.first(eoh > 0 ? eoh + 4 : 0);
  records.front() = records.front().sliced(expected.size());
  records.removeLast();  // the tail after the last record goes
  for (QByteArrayView record : records) {
    const QByteArray banded = capture::GetBandFromFreq(record);
    bool bandPutIn = false;
    for (qsizetype band = banded.indexOf("<BAND:"); band >= 0; band = banded.indexOf("<BAND:", band + 1)) {
      qsizetype end = band;
      bandPutIn |= !TakeField(banded, end, "<BAND:").isNull() && Replaced(record, banded, band, end) == 0;
    }
    Check(bandPutIn, "band field missing or malformed, or record bytes changed");
    const QByteArray split = capture::DeriveRstSent(banded);
    const qsizetype rst = platform::InStr(split, "<RST_RCVD:") - 1;
    qsizetype end = rst;
    const QByteArrayView received = TakeField(split, end, "<RST_RCVD:");
    const QByteArrayView sent = TakeField(split, end, "<RST_SENT:");
    Check(!received.isNull() && !sent.isNull() && Replaced(banded, split, rst, end) >= 0,
          "report fields malformed, or bytes around them changed");
    const QByteArrayView old = QByteArrayView(banded).sliced(rst, Replaced(banded, split, rst, end));
    const QByteArrayView report = old.sliced(old.indexOf('>') + 1);
    const qsizetype slash = report.contains('/') ? report.indexOf('/') : report.size();
    Check(old.isEmpty() ? received.isEmpty() && sent.isEmpty()
                        : platform::InStr(old, "<RST_RCVD:") == 1 && received == report.first(slash) &&
                              sent == report.sliced(std::min(slash + 1, report.size())),
          "report text changed");
    expected += split;
    expected += call.field;
  }
  Check(completed == expected, "a record differs from its two steps, or bytes follow the last one");

  // The same export read without the completion code: records end at "<EOR>" in any letter case.
  const QByteArray lower = input.toLower();
  const QByteArray completedLower = completed.toLower();
  qsizetype at = lower.indexOf("<eor>");
  const qsizetype headerEnd = lower.first(at < 0 ? lower.size() : at).indexOf("<eoh>");
  qsizetype in = headerEnd < 0 ? 0 : headerEnd + 5;
  qsizetype out = in;
  Check(completed.startsWith(input.first(in)), "header changed");
  for (; at >= 0; in = at + 5, at = lower.indexOf("<eor>", in)) {
    const QByteArrayView record = QByteArrayView(input).sliced(in, at - in);
    const qsizetype closed = completedLower.indexOf("<eor>", out) + 5;
    Check(closed > 4 && QByteArrayView(completed).first(closed).sliced(out).endsWith(call.field),
          "a record not closed by the station field");
    const QByteArrayView done = QByteArrayView(completed).first(closed - call.field.size()).sliced(out);
    out = closed;
    qsizetype pair = Find(done, "<rst_rcvd:");
    const char* wrong = ReportsWrong(done, pair, {});
    Check(!wrong, wrong);
    const Plain freq = PlainField(record, "<freq:", 2);
    const Plain rst = PlainField(record, "<rst_rcvd:", 4);
    if (freq.plain && rst.plain && (freq.tag < 0 || rst.tag < 0 || freq.end <= rst.tag || rst.end <= freq.tag))
      CheckPlainRecord(record, done, freq, rst);
  }
  Check(out == completed.size(), "bytes follow the last record");
  return 0;
}
