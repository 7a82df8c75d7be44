// Export reception on a 5 MB export delivered in reads of 1, 64 and 4,096
// bytes, with Trace off and on. The view builds the status text as the window
// would (Latin-1 characters appended to a string); the window's own drawing is
// measured elsewhere.
//
// A read must cost the same late in the export as early: the counters give the
// mean time per read over the first and over the last megabyte.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <chrono>
#include <utility>

#include "capture/Reception.h"
#include "platform/ByteSource.h"

namespace {

constexpr qsizetype kMegabyte = 1024 * 1024;
constexpr qsizetype kExportSize = 5 * kMegabyte;

const QByteArray& ExportText() {
  static const QByteArray text = [] {
    const QByteArray record =
        "<CALL:5>DL1AB<QSO_DATE:8>20240102<TIME_ON:4>1234<FREQ:6>14.074<MODE:3>FT8"
        "<RST_RCVD:7>599/579<NAME:4>Hans<EOR>\r\n";
    QByteArray all = "ADIF export<ADIF_VER:5>3.1.0<EOH>\r\n";
    while (all.size() < kExportSize) all += record;
    all.truncate(kExportSize);
    return all;
  }();
  return text;
}

class BenchSource : public platform::ByteSource {
 public:
  void arrive(QByteArrayView bytes) { buffer_.append(bytes); }
  QByteArray LookAhead() const override { return buffer_; }
  QByteArray ReadAll() override { return std::exchange(buffer_, QByteArray()); }
  qint64 bytesAvailable() const override { return buffer_.size(); }

 private:
  QByteArray buffer_;
};

class BenchView : public capture::ReceptionView {
 public:
  explicit BenchView(bool trace) : trace_(trace) {}
  void AppendStatus(QByteArrayView text) override { status_ += QLatin1StringView(text.data(), text.size()); }
  void SetStatusText(QByteArrayView text) override { status_ = QString::fromLatin1(text.data(), text.size()); }
  void ScrollStatusToLastLine() override {}
  void RefreshStatus() override {}
  bool TraceOn() const override { return trace_; }
  void SetProgressMaximum(qint64 maximum) override { maximum_ = maximum; }
  void SetProgressValue(qint64 value) override { benchmark::DoNotOptimize(value_ = value); }
  void EnableButtons() override {}
  void DoEvents() override {}
  void AddFields() override {}
  qsizetype statusLength() const { return status_.size(); }

 private:
  bool trace_;
  QString status_;
  qint64 maximum_ = 100;
  qint64 value_ = 0;
};

void BM_ReceiveExport(benchmark::State& state) {
  const qsizetype readSize = state.range(0);
  const bool trace = state.range(1) != 0;
  const QByteArray& text = ExportText();
  using Clock = std::chrono::steady_clock;
  double firstMegabyteNs = 0;
  double lastMegabyteNs = 0;
  qint64 readsPerMegabyte = kMegabyte / readSize;

  for (auto _ : state) {
    capture::ExportReception reception;
    BenchSource source;
    BenchView view(trace);
    source.arrive("{5242880}");
    reception.Serial1_DataAvailable(source, view);

    Clock::time_point mark = Clock::now();
    for (qsizetype at = 0; at < text.size(); at += readSize) {
      source.arrive(QByteArrayView(text).sliced(at, std::min(readSize, text.size() - at)));
      reception.Serial1_DataAvailable(source, view);
      const qsizetype done = at + readSize;
      if (done == kMegabyte) {
        const Clock::time_point now = Clock::now();
        firstMegabyteNs += std::chrono::duration<double, std::nano>(now - mark).count();
      } else if (done == 4 * kMegabyte) {
        mark = Clock::now();
      } else if (done == 5 * kMegabyte) {
        const Clock::time_point now = Clock::now();
        lastMegabyteNs += std::chrono::duration<double, std::nano>(now - mark).count();
      }
    }
    source.arrive("]");
    reception.Serial1_DataAvailable(source, view);
    if (reception.DownloadStart || reception.ADIFData.size() != text.size()) state.SkipWithError("export lost");
    benchmark::DoNotOptimize(view.statusLength());
  }

  const double runs = double(state.iterations());
  state.counters["reads"] = double(text.size() / readSize);
  state.counters["ns_per_read_1st_MB"] = firstMegabyteNs / runs / double(readsPerMegabyte);
  state.counters["ns_per_read_5th_MB"] = lastMegabyteNs / runs / double(readsPerMegabyte);
  state.SetBytesProcessed(state.iterations() * text.size());
}

BENCHMARK(BM_ReceiveExport)
    ->ArgNames({"read", "trace"})
    ->ArgsProduct({{1, 64, 4096}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
