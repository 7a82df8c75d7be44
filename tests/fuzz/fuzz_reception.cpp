// Random byte streams cut into random reads: export reception must frame them
// exactly as a small model of its own does, never hang and never read outside
// a buffer.
//
// Input layout:
//   byte 0     bits 0-4: number of control bytes - 1; bit 5: Trace on at start
//   controls   one byte per read, used in turn and again from the first:
//              bits 0-1  when the bytes arrive: 0 between events, 1 during the
//                        first yield (export begun), 2 during the finishing
//                        yield, 3 during whichever yield comes first
//              bit 2     the arrival raises a data event (inside a yield; one
//                        between events always does)
//              bit 3     Trace is switched over just before the bytes arrive
//              bits 4-7  read size class (kSizes; the last takes the rest)
//   the rest   the stream's bytes
//
// Reads meant for a yield that never comes arrive between events instead, so
// the stream's order is always kept. Both the real reception and the model log
// what they show and read as text lines; the logs must match after every
// event between events.
#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <locale.h>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "capture/Reception.h"
#include "platform/ByteSource.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_reception: %s\n", what);
    std::abort();
  }
}

enum class When { Between, FirstYield, FinishYield, AnyYield };

struct Read {
  std::string bytes;
  When when = When::Between;
  bool raisesEvent = true;
  bool switchesTrace = false;
};

constexpr size_t kSizes[16] = {0, 1, 1, 2, 2, 3, 4, 5, 6, 8, 11, 16, 24, 40, 100, SIZE_MAX};
constexpr size_t kMaxReads = 300;
// Nested data events stop here; deeper reads wait for a later yield.
constexpr int kMaxDepth = 6;

struct Plan {
  bool traceAtStart = false;
  std::vector<Read> reads;
};

Plan MakePlan(const uint8_t* data, size_t size) {
  Plan plan;
  if (size == 0) return plan;
  const size_t controls = std::min<size_t>((data[0] & 0x1F) + 1u, size - 1);
  plan.traceAtStart = (data[0] & 0x20) != 0;
  if (controls == 0) return plan;
  const uint8_t* control = data + 1;
  std::string_view rest(reinterpret_cast<const char*>(data + 1 + controls), size - 1 - controls);
  for (size_t i = 0; !rest.empty() || i < controls; ++i) {
    const uint8_t c = control[i % controls];
    size_t length = kSizes[c >> 4];
    // The last read allowed takes the rest.
    if (plan.reads.size() + 1 == kMaxReads) length = rest.size();
    length = std::min(length, rest.size());
    Read read;
    read.bytes = std::string(rest.substr(0, length));
    read.when = static_cast<When>(c & 3);
    read.raisesEvent = (c & 4) != 0;
    read.switchesTrace = (c & 8) != 0;
    plan.reads.push_back(std::move(read));
    rest.remove_prefix(length);
    if (plan.reads.size() == kMaxReads) break;
  }
  return plan;
}

// Hands the planned reads out, in order, to the yields that ask for them.
class Delivery {
 public:
  explicit Delivery(const Plan& plan) : plan_(plan) {}

  bool HasMore() const { return next_ < plan_.reads.size(); }
  size_t Position() const { return next_; }
  const Read& TakeBetweenEvents() { return plan_.reads[next_++]; }

  // Inside a yield: the reads that follow and are meant for this kind of yield.
  void AtYield(bool finishing, const std::function<void(const Read&)>& arrive) {
    if (depth_ >= kMaxDepth) return;
    ++depth_;
    while (next_ < plan_.reads.size() && Fits(plan_.reads[next_].when, finishing)) arrive(plan_.reads[next_++]);
    --depth_;
  }

 private:
  static bool Fits(When when, bool finishing) {
    return when == When::AnyYield || when == (finishing ? When::FinishYield : When::FirstYield);
  }

  const Plan& plan_;
  size_t next_ = 0;
  int depth_ = 0;
};

std::string Str(QByteArrayView bytes) { return std::string(bytes.data(), size_t(bytes.size())); }

// ---------------------------------------------------------------------------
// The real reception, with a port buffer and a window that log what they see.

class LoggingSource : public platform::ByteSource {
 public:
  explicit LoggingSource(std::vector<std::string>& log) : log_(log) {}
  QByteArray LookAhead() const override { return buffer; }
  QByteArray ReadAll() override {
    log_.push_back("read:" + Str(buffer));
    return std::exchange(buffer, QByteArray());
  }
  qint64 bytesAvailable() const override { return buffer.size(); }
  QByteArray buffer;

 private:
  std::vector<std::string>& log_;
};

class RealRun : public capture::ReceptionView {
 public:
  explicit RealRun(const Plan& plan) : trace(plan.traceAtStart), delivery(plan), source(log) {}

  void Arrive(const Read& read, bool raiseEvent) {
    if (read.switchesTrace) trace = !trace;
    source.buffer.append(read.bytes.data(), qsizetype(read.bytes.size()));
    if (raiseEvent) reception.Serial1_DataAvailable(source, *this);
  }

  void AppendStatus(QByteArrayView text) override {
    if (!text.isEmpty()) log.push_back("append:" + Str(text));
  }
  void SetStatusText(QByteArrayView text) override { log.push_back("set:" + Str(text)); }
  void ScrollStatusToLastLine() override { log.push_back("scroll"); }
  void RefreshStatus() override { log.push_back("refresh"); }
  bool TraceOn() const override { return trace; }
  void SetProgressMaximum(qint64 value) override {
    maximum = value;
    ++begins;  // set once by every export begun
    finishing_ = false;
    log.push_back("max:" + std::to_string(value));
  }
  void SetProgressValue(qint64 v) override {
    value = v;
    log.push_back("value:" + std::to_string(v));
  }
  void EnableButtons() override { ++enables; }
  void DoEvents() override {
    // The finishing yield follows the completion; the first follows the new bar.
    log.push_back(std::string(finishing_ ? "yield finish" : "yield first") +
                  (reception.DownloadStart ? " downloading " : " idle ") + Str(reception.ADIFData));
    CheckBuffer();
    delivery.AtYield(finishing_, [this](const Read& read) { Arrive(read, read.raisesEvent); });
  }
  void AddFields() override {
    finishing_ = true;
    ++completions;
    CheckBuffer();
    log.push_back("complete:" + Str(reception.ADIFData));
  }

  void CheckBuffer() const {
    Check(!reception.ADIFData.contains('['), "a \"[\" reached ADIFData");
    Check(!reception.ADIFData.contains(']'), "a \"]\" reached ADIFData");
  }

  capture::ExportReception reception;
  bool trace;
  Delivery delivery;
  std::vector<std::string> log;
  LoggingSource source;
  qint64 maximum = 100;
  qint64 value = 0;
  int enables = 0;
  int completions = 0;
  int begins = 0;

 private:
  bool finishing_ = false;
};

// ---------------------------------------------------------------------------
// The model: the whole stream as one state machine, written from how exports
// are framed, not from the reception code.

// Display form: CR LF pairs dropped (one pass, left to right), then a line
// break before every "<".
std::string Display(std::string_view text) {
  std::string noPairs;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      continue;
    }
    noPairs += text[i];
  }
  std::string shown;
  for (char c : noPairs) {
    if (c == '<') shown += '\n';
    shown += c;
  }
  return shown;
}

std::string Without(std::string_view text, char drop) {
  std::string kept;
  for (char c : text)
    if (c != drop) kept += c;
  return kept;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The announced length: the leading number (blanks, sign, digits, fraction,
// exponent), cut toward zero and held within 64 bits; no number gives 0.
qint64 AnnouncedLength(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  if (i < text.size() && text[i] == '.')
    for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  const std::string number(text.substr(start, i - start));
  const double value = strtod_l(number.c_str(), nullptr, cLocale);
  if (value >= 9223372036854775808.0) return std::numeric_limits<qint64>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<qint64>::min();
  return static_cast<qint64>(value);
}

class Model {
 public:
  explicit Model(const Plan& plan) : trace(plan.traceAtStart), delivery(plan) {}

  void Arrive(const Read& read, bool raiseEvent) {
    if (read.switchesTrace) trace = !trace;
    buffer += read.bytes;
    if (raiseEvent) Event();
  }

  // One data event. Inside the first yield it does nothing; otherwise it moves
  // the stream on for as long as the buffered bytes allow.
  void Event() {
    if (inFirstYield_) return;
    for (;;) {
      if (!downloading && HasHeader()) {
        Begin();
      } else if (downloading) {
        Continue();
      } else {
        return;
      }
      if (buffer.empty()) return;
    }
  }

  bool trace;
  Delivery delivery;
  std::vector<std::string> log;
  std::string buffer;
  std::string adif;
  bool downloading = false;
  qint64 maximum = 100;
  qint64 value = 0;
  int finishes = 0;
  int begins = 0;

 private:
  bool HasHeader() const {
    return buffer.find('{') != std::string::npos && buffer.find('}') != std::string::npos;
  }

  std::string TakeBuffer() {
    log.push_back("read:" + buffer);
    return std::exchange(buffer, std::string());
  }

  void ShowChunk(const std::string& chunk) {
    const std::string shown = Display(chunk);
    if (trace && !shown.empty()) log.push_back("append:" + shown);
  }

  void SetValue(qint64 v) {
    value = v;
    log.push_back("value:" + std::to_string(v));
  }

  void Yield(bool finishing) {
    log.push_back(std::string(finishing ? "yield finish" : "yield first") + (downloading ? " downloading " : " idle ") +
                  adif);
    delivery.AtYield(finishing, [this](const Read& read) { Arrive(read, read.raisesEvent); });
  }

  void Begin() {
    ++begins;
    log.push_back("append:Beginning Export...\n");
    adif.clear();
    const std::string read = TakeBuffer();
    const size_t open = read.find('{');
    const size_t close = read.find('}');
    maximum = close > open + 1 ? AnnouncedLength(std::string_view(read).substr(open + 1, close - open - 1)) : 0;
    log.push_back("max:" + std::to_string(maximum));
    std::string chunk = read.substr(close + 1);
    // An export that came whole with its header ends in this same event.
    const bool ends = chunk.find(']') != std::string::npos;
    chunk = Without(Without(chunk, ']'), '[');
    adif += chunk;
    SetValue(qint64(adif.size()));
    inFirstYield_ = true;
    Yield(false);
    inFirstYield_ = false;
    ShowChunk(chunk);
    if (ends)
      Finish();
    else
      downloading = true;
  }

  void Continue() {
    std::string chunk = TakeBuffer();
    const bool ends = chunk.find(']') != std::string::npos;
    if (ends) downloading = false;
    chunk = Without(Without(chunk, ']'), '[');
    adif += chunk;
    SetValue(qint64(adif.size()));
    ShowChunk(chunk);
    if (ends) Finish();
  }

  void Finish() {
    ++finishes;
    SetValue(0);
    log.push_back("complete:" + adif);
    if (trace) {
      log.push_back("set:" + Display(adif));
      log.push_back("append:\nExport Complete!");
    } else {
      log.push_back("append:Export Complete!");
    }
    log.push_back("scroll");
    log.push_back("refresh");
    Yield(true);
  }

  bool inFirstYield_ = false;
};

void CompareLogs(std::vector<std::string>& real, std::vector<std::string>& model) {
  const size_t common = std::min(real.size(), model.size());
  for (size_t i = 0; i < common; ++i) {
    if (real[i] != model[i]) {
      std::fprintf(stderr, "entry %zu\n  real:  %s\n  model: %s\n", i, real[i].c_str(), model[i].c_str());
      Check(false, "reception differs from the model");
    }
  }
  if (real.size() != model.size()) {
    const std::string& extra = real.size() > model.size() ? real[common] : model[common];
    std::fprintf(stderr, "%s has more, from: %s\n", real.size() > model.size() ? "real" : "model", extra.c_str());
    Check(false, "reception and model did not do the same number of steps");
  }
  real.clear();
  model.clear();
}

void Run(const Plan& plan) {
  RealRun real(plan);
  Model model(plan);
  while (model.delivery.HasMore()) {
    real.Arrive(real.delivery.TakeBetweenEvents(), true);
    model.Arrive(model.delivery.TakeBetweenEvents(), true);
    CompareLogs(real.log, model.log);
    Check(real.delivery.Position() == model.delivery.Position(), "reads taken during yields");
    real.CheckBuffer();
    Check(Str(real.reception.ADIFData) == model.adif, "ADIFData");
    Check(real.reception.DownloadStart == model.downloading, "DownloadStart");
    Check(Str(real.source.buffer) == model.buffer, "bytes left in the port");
    Check(real.value == model.value, "bar value");
    Check(real.maximum == model.maximum, "bar maximum");
    Check(real.begins == model.begins, "exports begun");
    Check(real.completions == model.finishes, "completions");
    Check(real.enables == model.finishes, "buttons enabled once per finished export");
    Check(real.trace == model.trace, "trace switch");
  }
}

// Readable examples, run once before fuzzing: a worked export, a header split
// over reads, an export whole in its header's read, and bytes during yields.
Plan Example(bool trace, std::vector<Read> reads) {
  Plan plan;
  plan.traceAtStart = trace;
  plan.reads = std::move(reads);
  return plan;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Check(AnnouncedLength("12.7") == 12 && AnnouncedLength("") == 0 && AnnouncedLength("x1") == 0 &&
            AnnouncedLength(" 1e3") == 1000 && AnnouncedLength("1e99") == std::numeric_limits<qint64>::max(),
        "model's announced length");
  Check(Display("a\r\r\n<B>\n") == "a\r\n<B>\n", "model's display form");
  const std::vector<Plan> examples = {
      Example(false, {{"xy{48"}, {"0}[<CALL:4>W1AW"}, {"<EOR>]"}}),
      Example(true, {{"{1"}, {"2.7}<A:1>x\r\n"}, {"<EOR>", When::Between, true, true}, {"]"}}),
      Example(false, {{"}z{5}ab[c]d"}, {"{3}e"}, {"f", When::FirstYield, true}, {"]", When::FirstYield, false},
                      {"{2}g", When::FinishYield, true}, {"h]"}}),
  };
  for (const Plan& plan : examples) Run(plan);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Run(MakePlan(data, size));
  return 0;
}
