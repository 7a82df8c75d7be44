// Random exports: completion keeps the header and every byte of each record in
// order, except the report field that it replaces, and the fields it adds are
// well-formed. Each record must come out as band derivation, then the report
// split, make it.
#include <QByteArray>
#include <QList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "capture/Completion.h"
#include "platform/Text.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_completion: %s\n", what);
  std::abort();
}

// The data of the field `tag` digits ">" data at `at`, and `at` moved past it; null when malformed.
QByteArrayView TakeField(QByteArrayView text, qsizetype& at, QByteArrayView tag) {
  if (at < 0 || !text.sliced(at).startsWith(tag)) return {};
  const qsizetype gt = text.indexOf('>', at);
  if (gt < 0) return {};
  const QByteArray digits = text.sliced(at + tag.size(), gt - at - tag.size()).toByteArray();
  const qsizetype length = digits.toLongLong();
  if (digits != QByteArray::number(length) || length > text.size() - gt - 1) return {};
  at = gt + 1 + length;
  return text.sliced(gt + 1, length);
}

// `banded` is `record` with one whole band field put in.
bool BandPutIn(QByteArrayView record, QByteArrayView banded) {
  for (qsizetype band = banded.indexOf("<BAND:"); band >= 0; band = banded.indexOf("<BAND:", band + 1)) {
    qsizetype end = band;
    if (!TakeField(banded, end, "<BAND:").isNull() && record.size() == band + banded.size() - end &&
        record.startsWith(banded.first(band)) && record.endsWith(banded.sliced(end)))
      return true;
  }
  return false;
}

// `split` is `banded` with its first report field, or nothing, replaced by the two report fields.
void CheckReports(QByteArrayView banded, QByteArrayView split) {
  const qsizetype rst = platform::InStr(split, "<RST_RCVD:") - 1;
  qsizetype end = rst;
  const QByteArrayView received = TakeField(split, end, "<RST_RCVD:");
  const QByteArrayView sent = TakeField(split, end, "<RST_SENT:");
  Check(!received.isNull() && !sent.isNull() && !received.contains('/'), "report fields missing or malformed");
  const qsizetype kept = split.size() - end;
  Check(banded.size() - rst >= kept && banded.startsWith(split.first(rst)) && banded.endsWith(split.sliced(end)),
        "bytes around the report fields changed");
  const QByteArrayView replaced = banded.sliced(rst, banded.size() - rst - kept);
  const QByteArrayView report = replaced.sliced(replaced.indexOf('>') + 1);
  const QByteArray parts = received.toByteArray() + (report.contains('/') ? "/" + sent.toByteArray() : "");
  Check(replaced.isEmpty() ? received.isEmpty() && sent.isEmpty()
                           : platform::InStr(replaced, "<RST_RCVD:") == 1 && report == parts && (sent.isEmpty() || parts.contains('/')),
        "report text changed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  QByteArray completed = input;
  capture::AddFields(completed, " K1ABC/P\r\n");
  QList<QByteArrayView> records = platform::Split(input, "<EOR>");
  const qsizetype eoh = platform::InStr(records.front(), "<EOH>");
  const qsizetype headerLength = eoh > 0 ? eoh + 4 : 0;
  Check(completed.startsWith(input.first(headerLength)), "header changed");
  records.front() = records.front().sliced(headerLength);
  records.removeLast();  // the tail after the last record goes
  qsizetype at = headerLength;
  for (QByteArrayView record : records) {
    const QByteArray banded = capture::GetBandFromFreq(record);
    Check(BandPutIn(record, banded), "band field missing or malformed, or record bytes changed");
    const QByteArray split = capture::DeriveRstSent(banded);
    CheckReports(banded, split);
    const QByteArray whole = split + "<STATION_CALLSIGN:7>K1ABC/P<EOR>";
    Check(QByteArrayView(completed).sliced(at).startsWith(whole), "record differs from its two steps");
    at += whole.size();
  }
  Check(at == completed.size(), "bytes after the last record");
  return 0;
}
