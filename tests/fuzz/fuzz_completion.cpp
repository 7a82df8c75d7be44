// Random exports: the header is kept, and each record comes out as band derivation and then the report
// split make it, closed by the station field. Band derivation puts one well-formed field in among the
// record's bytes; the split puts two in place of the first report field, or of nothing, carrying its text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  QByteArray completed = input;
  capture::AddFields(completed, " K1ABC/P\r\n");
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
    expected += split + "<STATION_CALLSIGN:7>K1ABC/P<EOR>";
  }
  Check(completed == expected, "a record differs from its two steps, or bytes follow the last one");
  return 0;
}
