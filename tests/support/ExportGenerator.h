#pragma once
// Realistic device exports for tests, and what completing them must give,
// worked out from the generator's own field values rather than by the
// program's completion code.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <random>
#include <utility>

namespace testsupport {

struct GeneratedRecord {
  // The fields in the order sent, names in upper case, each once.
  QList<std::pair<QByteArray, QByteArray>> fields;
  QByteArray band;  // the band label its FREQ lies in ("20M", "??")
};

struct GeneratedExport {
  QByteArray header;  // through "<EOH>"
  QList<GeneratedRecord> records;
  // What the device sends between the braces and the end marker: the header,
  // then CR LF and a record for each record, then CR LF.
  QByteArray text;
};

class ExportGenerator {
 public:
  explicit ExportGenerator(quint32 seed) : random_(seed) {}

  // An export of `records` contacts: CALL, QSO_DATE, TIME_ON, FREQ (MHz with a
  // point or kHz without), MODE and RST_RCVD ("599/579", "59", ...).
  GeneratedExport Make(int records);
  // Bytes that may precede an export on the line: no "{" and no "}".
  QByteArray Noise(int maxBytes);
  // A number in [low, high], from the same seeded sequence.
  int Between(int low, int high);

 private:
  GeneratedRecord Record();
  QByteArray Call();
  QByteArray Frequency(QByteArray* band);

  std::mt19937 random_;
};

// The export as the device frames it: "{" the text's length "}" the text "]".
QByteArray Framed(QByteArrayView text);

// The completed buffer for `generated` and the operator's `callSign`: the
// header, then every record with BAND after its frequency, RST_RCVD split into
// RST_RCVD and RST_SENT, and STATION_CALLSIGN closing it with "<EOR>".
QByteArray ExpectedCompletion(const GeneratedExport& generated, QByteArrayView callSign);

}  // namespace testsupport
