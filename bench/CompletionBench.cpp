// Record completion on generated exports of realistic contact records.
//
// Besides time, one extra run per size measures the peak of heap bytes
// allocated during a single AddFields call: malloc and friends are wrapped
// (glibc only) and count only while a probe is active.
#include <benchmark/benchmark.h>

#include <QByteArray>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "capture/Completion.h"

#if defined(__GLIBC__)
#include <malloc.h>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long long> g_current{0};
std::atomic<long long> g_peak{0};

void Count(long long delta) {
  const long long now = g_current.fetch_add(delta, std::memory_order_relaxed) + delta;
  long long peak = g_peak.load(std::memory_order_relaxed);
  while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}

long long Usable(void* block) { return block ? static_cast<long long>(malloc_usable_size(block)) : 0; }

}  // namespace

// Outside a probe the wrappers cost one flag test, so other benchmarks in
// this program run as without them.
bool Counting() { return g_counting.load(std::memory_order_relaxed); }

extern "C" void* malloc(size_t size) noexcept {
  void* block = __libc_malloc(size);
  if (Counting()) Count(Usable(block));
  return block;
}

extern "C" void* calloc(size_t count, size_t size) noexcept {
  void* block = __libc_calloc(count, size);
  if (Counting()) Count(Usable(block));
  return block;
}

extern "C" void* realloc(void* block, size_t size) noexcept {
  if (!Counting()) return __libc_realloc(block, size);
  const long long before = Usable(block);
  void* moved = __libc_realloc(block, size);
  if (moved != nullptr || size == 0) Count(Usable(moved) - before);
  return moved;
}

extern "C" void free(void* block) noexcept {
  if (Counting()) Count(-Usable(block));
  __libc_free(block);
}

namespace {

// Peak of the bytes allocated (and not yet freed) since construction.
class HeapProbe {
 public:
  HeapProbe() {
    g_current = 0;
    g_peak = 0;
    g_counting = true;
  }
  ~HeapProbe() { g_counting = false; }
  long long peak() const { return g_peak.load(); }
};

}  // namespace
#define ADIF_HEAP_PROBE 1
#endif

namespace {

// A small deterministic generator, so every run completes the same export.
class Generator {
 public:
  uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  uint32_t below(uint32_t n) { return next() % n; }

 private:
  uint32_t state_ = 2463534242u;
};

void AppendField(QByteArray& out, const char* name, const QByteArray& data) {
  out += '<';
  out += name;
  out += ':';
  out += QByteArray::number(data.size());
  out += '>';
  out += data;
}

QByteArray MakeExport(int records) {
  static const char* const kFrequencies[] = {"14.074", "7030",    "3.573",  "21074",  "28.074",
                                             "144.174", "10136",  "18.100", "1296.200", "50313"};
  static const char* const kModes[] = {"FT8", "CW", "SSB", "RTTY", "FM"};
  static const char* const kReports[] = {"599/579", "59/57", "-10/-12", "599/599", "579"};
  Generator random;
  QByteArray out = "ADIF export from the logging keyer\r\n<ADIF_VER:5>3.1.4<PROGRAMID:6>KEYLOG<EOH>\r\n";
  out.reserve(out.size() + qsizetype(records) * 180);
  for (int i = 0; i < records; ++i) {
    QByteArray call;
    call += char('A' + random.below(26));
    call += char('0' + random.below(10));
    for (uint32_t k = 0, n = 2 + random.below(2); k < n; ++k) call += char('A' + random.below(26));
    AppendField(out, "CALL", call);
    AppendField(out, "QSO_DATE", "2024" + QByteArray::number(101 + random.below(1100)).rightJustified(4, '0'));
    AppendField(out, "TIME_ON", QByteArray::number(random.below(2400)).rightJustified(4, '0'));
    AppendField(out, "FREQ", kFrequencies[random.below(10)]);
    AppendField(out, "MODE", kModes[random.below(5)]);
    AppendField(out, "RST_RCVD", kReports[random.below(5)]);
    AppendField(out, "NAME", QByteArray("OP") + QByteArray::number(random.below(1000)));
    AppendField(out, "QTH", "Town " + QByteArray::number(random.below(100)));
    out += "<EOR>\r\n";
  }
  return out;
}

void BM_AddFields(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  const QByteArray exportText = MakeExport(records);

#ifdef ADIF_HEAP_PROBE
  long long peak = 0;
  {
    QByteArray data = exportText;  // shares the bytes, as the window's buffer does
    HeapProbe probe;
    capture::AddFields(data, "N0CALL");
    peak = probe.peak();
  }
  const double size = static_cast<double>(exportText.size());
  state.counters["peak_extra_x"] = static_cast<double>(peak) / size;
  state.counters["peak_total_x"] = (size + static_cast<double>(peak)) / size;
#endif

  for (auto _ : state) {
    QByteArray data = exportText;
    capture::AddFields(data, "N0CALL");
    benchmark::DoNotOptimize(data.constData());
  }
  state.SetBytesProcessed(state.iterations() * exportText.size());
  state.SetItemsProcessed(state.iterations() * records);
  state.counters["export_bytes"] = static_cast<double>(exportText.size());
}

BENCHMARK(BM_AddFields)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
