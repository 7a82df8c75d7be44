// However a well-formed export is cut into reads, and whichever arrive inside a yield (with or without a
// data event of their own), reception ends with what one read gives.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "../capture/ReceptionRig.h"

static void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_reception: %s\n", what);
  std::abort();
}

// Input: Trace (bit 0), the plan's length, the plan, then the stream, made well-formed: no "}" before its
// first "{", no "]" after the "}" that follows, and a "]" at its end.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const QByteArrayView plan(data + 2, qsizetype(std::min<size_t>(data[1], size - 2)));
  const QByteArray rest = QByteArrayView(data + 2 + plan.size(), qsizetype(size) - 2 - plan.size()).toByteArray();
  const qsizetype open = rest.indexOf('{');
  const qsizetype close = rest.indexOf('}', open);
  if (open < 0 || close < 0) return 0;
  const QByteArray text = rest.sliced(close + 1).replace("]", "");
  const QByteArray stream = rest.first(open).replace("}", "") + rest.sliced(open, close - open + 1) + text + "]";
  const auto whole = testsupport::Receive(stream, {}, data[0] & 1);
  const auto [adif, downloading, unread, maximum, value, enables, completions, status] = whole;
  const bool finished = !downloading && unread.isEmpty() && value == 0 && enables == 1 && completions == 1;
  Check(finished && adif == QByteArray(text).replace("[", ""), "one read gives not the whole export, finished");
  Check(testsupport::Receive(stream, plan, data[0] & 1) == whole, "the cut into reads changed the outcome");
  return 0;
}
