#include "support/ExportGenerator.h"

#include <array>

namespace testsupport {

namespace {

struct BandSpan {
  const char* label;
  qint64 lowHz;    // first frequency of the band
  qint64 belowHz;  // first frequency above it
};

constexpr qint64 kMHz = 1'000'000;

// Amateur bands as the device's operators use them, and a few frequencies no
// band covers.
constexpr std::array<BandSpan, 16> kBands{{
    {"160M", 1 * kMHz, 3 * kMHz},        {"80M", 3 * kMHz, 5 * kMHz},
    {"60M", 5 * kMHz, 6 * kMHz},         {"40M", 7 * kMHz, 8 * kMHz},
    {"30M", 10 * kMHz, 11 * kMHz},       {"20M", 14 * kMHz, 15 * kMHz},
    {"17M", 18 * kMHz, 19 * kMHz},       {"15M", 21 * kMHz, 22 * kMHz},
    {"12M", 24 * kMHz, 25 * kMHz},       {"10M", 28 * kMHz, 30 * kMHz},
    {"6M", 50 * kMHz, 55 * kMHz},        {"2M", 144 * kMHz, 149 * kMHz},
    {"1.25M", 222 * kMHz, 226 * kMHz},   {"70CM", 420 * kMHz, 451 * kMHz},
    {"33CM", 902 * kMHz, 929 * kMHz},    {"23CM", 1240 * kMHz, 1301 * kMHz},
}};
constexpr std::array<BandSpan, 4> kNoBand{{
    {"??", 100'000, 1 * kMHz},
    {"??", 6 * kMHz, 7 * kMHz},
    {"??", 11 * kMHz, 14 * kMHz},
    {"??", 30 * kMHz, 50 * kMHz},
}};

const std::array<const char*, 10> kModes{"CW", "SSB", "FT8", "FT4", "RTTY", "AM", "FM", "PSK31", "JS8", "MFSK"};
const std::array<const char*, 9> kReports{"599/579", "59/57", "599", "59", "579/599", "5NN/5NN", "339/449",
                                          "57/", "/599"};
const std::array<const char*, 6> kNames{"JOHN", "ANNA MARIA", "KLAUS", "O'BRIEN", "JEAN-PAUL", "YUKI"};

QByteArray Field(QByteArrayView name, QByteArrayView data) {
  return "<" + name.toByteArray() + ":" + QByteArray::number(data.size()) + ">" + data.toByteArray();
}

QByteArray Padded(qint64 value, int digits) { return QByteArray::number(value).rightJustified(digits, '0'); }

}  // namespace

int ExportGenerator::Between(int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random_);
}

QByteArray ExportGenerator::Noise(int maxBytes) {
  QByteArray noise;
  const int n = Between(0, maxBytes);
  while (noise.size() < n) {
    const char c = char(Between(0, 255));
    if (c != '{' && c != '}') noise += c;
  }
  return noise;
}

QByteArray ExportGenerator::Call() {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  QByteArray call;
  const int prefix = Between(1, 2);
  for (int i = 0; i < prefix; ++i) call += kLetters[Between(0, 25)];
  call += char('0' + Between(0, 9));
  const int suffix = Between(1, 3);
  for (int i = 0; i < suffix; ++i) call += kLetters[Between(0, 25)];
  if (Between(0, 19) == 0) call += "/P";
  return call;
}

QByteArray ExportGenerator::Frequency(QByteArray* band) {
  const BandSpan& span = Between(0, 19) == 0 ? kNoBand[size_t(Between(0, int(kNoBand.size()) - 1))]
                                             : kBands[size_t(Between(0, int(kBands.size()) - 1))];
  *band = span.label;
  const qint64 hz = std::uniform_int_distribution<qint64>(span.lowHz, span.belowHz - 1)(random_);
  if (Between(0, 2) == 0) return QByteArray::number(hz / 1000);  // kHz, no point
  const int decimals = std::array<int, 3>{3, 4, 6}[size_t(Between(0, 2))];
  return QByteArray::number(hz / kMHz) + "." + Padded(hz % kMHz, 6).left(decimals);
}

GeneratedRecord ExportGenerator::Record() {
  GeneratedRecord r;
  QByteArray freq = Frequency(&r.band);
  using F = std::pair<QByteArray, QByteArray>;
  r.fields.append(F{"CALL", Call()});
  // One draw a statement, so every compiler makes the same export from a seed.
  QByteArray date = Padded(Between(2024, 2026), 4);
  date += Padded(Between(1, 12), 2);
  date += Padded(Between(1, 28), 2);
  r.fields.append(F{"QSO_DATE", date});
  QByteArray time = Padded(Between(0, 23), 2);
  time += Padded(Between(0, 59), 2);
  if (Between(0, 1) == 0) time += Padded(Between(0, 59), 2);
  r.fields.append(F{"TIME_ON", time});
  r.fields.append(F{"FREQ", freq});
  r.fields.append(F{"MODE", kModes[size_t(Between(0, int(kModes.size()) - 1))]});
  if (Between(0, 19) != 0) r.fields.append(F{"RST_RCVD", kReports[size_t(Between(0, int(kReports.size()) - 1))]});
  if (Between(0, 4) == 0) r.fields.append(F{"NAME", kNames[size_t(Between(0, int(kNames.size()) - 1))]});
  // Now and then the device puts the report or the mode before the frequency.
  if (Between(0, 9) == 0 && r.fields.size() > 4) r.fields.swapItemsAt(3, r.fields.size() - 1);
  return r;
}

GeneratedExport ExportGenerator::Make(int records) {
  GeneratedExport g;
  g.header = "Kestrune QZT605 log export\r\n" + Field("ADIF_VER", "3.1.0") + "\r\n" +
             Field("PROGRAMID", "Kestrune") + "\r\n<EOH>";
  g.text = g.header;
  for (int i = 0; i < records; ++i) {
    g.records.append(Record());
    g.text += "\r\n";
    for (const auto& [name, data] : g.records.back().fields) g.text += Field(name, data);
    g.text += "<EOR>";
  }
  g.text += "\r\n";
  return g;
}

QByteArray Framed(QByteArrayView text) {
  return "{" + QByteArray::number(text.size()) + "}" + text.toByteArray() + "]";
}

QByteArray ExpectedCompletion(const GeneratedExport& generated, QByteArrayView callSign) {
  const QByteArray call = callSign.toByteArray().trimmed();
  const QByteArray station = Field("STATION_CALLSIGN", call) + "<EOR>";
  QByteArray out = generated.header;
  for (const GeneratedRecord& r : generated.records) {
    QByteArray body = "\r\n";  // the line break before a record belongs to it
    bool hasReport = false;
    for (const auto& [name, data] : r.fields) {
      if (name == "RST_RCVD") {
        hasReport = true;
        const qsizetype slash = data.indexOf('/');
        const QByteArray received = slash < 0 ? data : data.left(slash);
        const QByteArray sent = slash < 0 ? QByteArray() : data.mid(slash + 1);
        body += Field("RST_RCVD", received) + Field("RST_SENT", sent);
        continue;
      }
      body += Field(name, data);
      if (name == "FREQ") body += Field("BAND", r.band);
    }
    // A record with no report gets two empty report fields in front.
    if (!hasReport) body.prepend("<RST_RCVD:0><RST_SENT:0>");
    out += body + station;
  }
  return out;
}

}  // namespace testsupport
