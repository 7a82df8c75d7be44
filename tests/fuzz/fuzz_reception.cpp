// Random well-formed exports cut into random reads: however the stream is cut,
// and whichever reads arrive inside the first yield (with or without a data
// event of their own), reception ends with what one read gives.
//
// Input: byte 0 bit 0 Trace; bytes 1-3 the lengths of the noise, of the
// announced length's text and of the plan; the plan, one byte a read (bits 0-5
// its length, bit 7 arrives inside a yield, bit 6 with an event); then the
// bytes of the noise, of the announced length and of the export text.
#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <tuple>

#include "capture/Reception.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_reception: %s\n", what);
  std::abort();
}

class Source : public platform::ByteSource {
 public:
  QByteArray LookAhead() const override { return buffer; }
  QByteArray ReadAll() override { return std::exchange(buffer, QByteArray()); }
  qint64 bytesAvailable() const override { return buffer.size(); }
  QByteArray buffer;
};

class View : public capture::ReceptionView {
 public:
  void AppendStatus(QByteArrayView text) override { status += text; }
  void SetStatusText(QByteArrayView text) override { status = text.toByteArray(); }
  void ScrollStatusToLastLine() override {}
  void RefreshStatus() override {}
  bool TraceOn() const override { return trace; }
  void SetProgressMaximum(qint64 v) override { maximum = v; }
  void SetProgressValue(qint64 v) override { value = v; }
  void EnableButtons() override { ++enables; }
  void DoEvents() override { onYield(); }
  void AddFields() override { ++completions; }

  std::function<void()> onYield;
  bool trace = false;
  QByteArray status;
  qint64 maximum = -1, value = -1;
  int enables = 0, completions = 0;
};

// What reception ends with: the buffer, the state, the bar, the buttons and the status text.
auto Receive(const QByteArray& stream, QByteArrayView plan, bool trace) {
  capture::ExportReception reception;
  Source source;
  View view;
  view.trace = trace;
  qsizetype at = 0;
  qsizetype step = 0;
  // The plan's next read arrives; once the plan is used up, the rest comes in one read.
  const auto arrive = [&] {
    const qsizetype length = step < plan.size() ? plan[step++] & 0x3F : stream.size();
    source.buffer += stream.sliced(at, std::min(length, stream.size() - at));
    at += std::min(length, stream.size() - at);
  };
  view.onYield = [&] {
    while (at < stream.size() && step < plan.size() && (plan[step] & 0x80)) {
      const bool event = plan[step] & 0x40;
      arrive();
      if (event) reception.Serial1_DataAvailable(source, view);
    }
  };
  while (at < stream.size()) {
    arrive();
    reception.Serial1_DataAvailable(source, view);
  }
  return std::make_tuple(reception.ADIFData, reception.DownloadStart, source.buffer, view.maximum, view.value,
                         view.enables, view.completions, view.status);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const QByteArrayView in(data, qsizetype(size));
  const qsizetype noiseEnd = std::min<qsizetype>(4 + data[1] + data[3], in.size());
  const qsizetype lengthEnd = std::min<qsizetype>(noiseEnd + data[2], in.size());
  const QByteArrayView plan = in.sliced(4).first(std::min<qsizetype>(data[3], in.size() - 4));
  // Noise holds no brace, the announced length no "}", the text no "]".
  QByteArray noise = in.sliced(4 + plan.size(), noiseEnd - 4 - plan.size()).toByteArray();
  QByteArray length = in.sliced(noiseEnd, lengthEnd - noiseEnd).toByteArray();
  QByteArray text = in.sliced(lengthEnd).toByteArray();
  noise.removeIf([](char c) { return c == '{' || c == '}'; });
  length.removeIf([](char c) { return c == '}'; });
  text.removeIf([](char c) { return c == ']'; });
  const QByteArray stream = noise + "{" + length + "}" + text + "]";
  const QByteArray expected = QByteArray(text).replace("[", "");
  const auto whole = Receive(stream, {}, data[0] & 1);
  Check(std::get<0>(whole) == expected && !std::get<1>(whole) && std::get<2>(whole).isEmpty() &&
            std::get<4>(whole) == 0 && std::get<5>(whole) == 1 && std::get<6>(whole) == 1,
        "one read gives not the export whole and finished");
  Check(Receive(stream, plan, data[0] & 1) == whole, "the cut into reads changed the outcome");
  return 0;
}
