// Random exports: record completion must never crash and must keep every byte
// of the header and of every record, in order, except the RST_RCVD field it
// splits. The first input byte picks the call sign and whether bytes 0xF0 to
// 0xF9 of the rest stand for ADIF tokens (so that the fuzzer soon builds real
// records); the rest is the export.
//
// The checks use a plain model of their own: a naive case-insensitive search
// splits the export, and each step's result is taken apart again by its
// insertion (band) or replacement (report fields) and compared to its input.
#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "capture/Completion.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_completion: %s\n", what);
    std::abort();
  }
}

std::string_view View(const QByteArray& bytes) { return {bytes.constData(), size_t(bytes.size())}; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Naive search, ASCII letter case ignored; npos when absent.
size_t Find(std::string_view text, std::string_view find) {
  if (find.size() > text.size()) return std::string_view::npos;
  for (size_t i = 0; i + find.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < find.size() && Upper(text[i + k]) == Upper(find[k])) ++k;
    if (k == find.size()) return i;
  }
  return std::string_view::npos;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

const std::string_view kBandFields[] = {
    "<BAND:0>",     "<BAND:2>??",   "<BAND:4>160M", "<BAND:3>80M",   "<BAND:3>60M",  "<BAND:3>40M",
    "<BAND:3>30M",  "<BAND:3>20M",  "<BAND:3>17M",  "<BAND:3>15M",   "<BAND:3>12M",  "<BAND:3>10M",
    "<BAND:2>6M",   "<BAND:2>2M",   "<BAND:5>1.25M", "<BAND:4>70CM", "<BAND:4>33CM", "<BAND:4>23CM",
};

bool IsBandField(std::string_view text) {
  for (std::string_view field : kBandFields)
    if (text == field) return true;
  return false;
}

// `banded` is `record` with exactly one band field inserted, and "<BAND:0>"
// in front when the record has no frequency tag.
void CheckBand(std::string_view record, std::string_view banded) {
  Check(banded.size() > record.size(), "band: nothing inserted");
  if (Find(record, "<FREQ:") == std::string_view::npos) {
    Check(StartsWith(banded, "<BAND:0>") && banded.substr(8) == record, "band: no FREQ, not in front");
    return;
  }
  const size_t inserted = banded.size() - record.size();
  size_t prefix = 0;
  while (prefix < record.size() && record[prefix] == banded[prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < record.size() && record[record.size() - 1 - suffix] == banded[banded.size() - 1 - suffix])
    ++suffix;
  const size_t first = record.size() > suffix ? record.size() - suffix : 0;
  for (size_t at = first; at <= prefix; ++at) {
    if (IsBandField(banded.substr(at, inserted))) return;
  }
  Check(false, "band: record bytes changed or unknown field");
}

// Reads "<NAME:" digits ">" and that many bytes at `at`; false if malformed.
bool ReadField(std::string_view text, size_t& at, std::string_view tag, std::string_view& data) {
  if (!StartsWith(text.substr(at), tag)) return false;
  at += tag.size();
  size_t length = 0;
  const size_t digitsStart = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    if (length > text.size()) return false;
    length = length * 10 + size_t(text[at] - '0');
    ++at;
  }
  const size_t digits = at - digitsStart;
  if (digits == 0 || (digits > 1 && text[digitsStart] == '0')) return false;
  if (at >= text.size() || text[at] != '>') return false;
  ++at;
  if (text.size() - at < length) return false;
  data = text.substr(at, length);
  at += length;
  return true;
}

// `split` is `record` with one stretch D replaced by the two report fields:
// D is empty (fields put in front of the tag or of the record), or an
// RST_RCVD tag through its ">" and its report, whose bytes the fields carry.
void CheckReports(std::string_view record, std::string_view split) {
  const size_t at = Find(split, "<RST_RCVD:");
  Check(at != std::string_view::npos, "rst: no RST_RCVD field");
  Check(split.substr(0, at) == record.substr(0, at), "rst: bytes before the field changed");
  size_t after = at;
  std::string_view received;
  std::string_view sent;
  Check(ReadField(split, after, "<RST_RCVD:", received), "rst: malformed RST_RCVD");
  Check(ReadField(split, after, "<RST_SENT:", sent), "rst: malformed RST_SENT");
  const std::string_view rest = split.substr(after);
  Check(EndsWith(record, rest) && record.size() - rest.size() >= at, "rst: bytes after the fields changed");
  const std::string_view replaced = record.substr(at, record.size() - rest.size() - at);
  if (replaced.empty()) {
    Check(received.empty() && sent.empty(), "rst: report fields from nothing");
    return;
  }
  Check(Find(replaced, "<RST_RCVD:") == 0, "rst: replaced something else than the tag");
  const size_t gt = replaced.find('>');
  Check(gt != std::string_view::npos && gt >= 10 && gt <= 24, "rst: replaced tag without its close");
  const std::string_view report = replaced.substr(gt + 1);
  const size_t slash = report.find('/');
  if (slash == std::string_view::npos) {
    Check(received == report && sent.empty(), "rst: report without slash changed");
  } else {
    Check(received == report.substr(0, slash) && sent == report.substr(slash + 1), "rst: split wrongly");
  }
}

std::string Trimmed(std::string_view call) {
  auto white = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
  while (!call.empty() && white(call.front())) call.remove_prefix(1);
  while (!call.empty() && white(call.back())) call.remove_suffix(1);
  return std::string(call);
}

const std::string_view kCalls[] = {"", "N0CALL", " N0CALL ", "   ", "k1abc/p", "\tVE3XYZ\r\n"};

const std::string_view kTokens[] = {"<EOR>",  "<EOH>",  "<FREQ:",         "<RST_RCVD:",          "<eor>",
                                    "599/579", "14.074", "<FREQ:6>14.074", "<RST_RCVD:7>599/579", "\r\n"};

std::string Expanded(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0xF0 && u <= 0xF9) out += kTokens[u - 0xF0];
    else out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view call = kCalls[(data[0] & 0x7F) % (sizeof kCalls / sizeof kCalls[0])];
  const std::string_view raw(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string expanded = (data[0] & 0x80) ? Expanded(raw) : std::string();
  const std::string_view input = (data[0] & 0x80) ? std::string_view(expanded) : raw;

  QByteArray completed(input.data(), qsizetype(input.size()));
  capture::AddFields(completed, QByteArrayView(call.data(), qsizetype(call.size())));
  const std::string_view output = View(completed);

  // The model's own split at "<EOR>".
  std::vector<std::string_view> pieces;
  for (std::string_view rest = input;;) {
    const size_t eor = Find(rest, "<EOR>");
    if (eor == std::string_view::npos) {
      pieces.push_back(rest);
      break;
    }
    pieces.push_back(rest.substr(0, eor));
    rest.remove_prefix(eor + 5);
  }
  const size_t eoh = Find(pieces.front(), "<EOH>");
  const size_t headerLength = eoh == std::string_view::npos ? 0 : eoh + 5;
  pieces.front().remove_prefix(headerLength);
  const std::string_view header = input.substr(0, headerLength);

  const std::string trimmed = Trimmed(call);
  const std::string station =
      "<STATION_CALLSIGN:" + std::to_string(trimmed.size()) + ">" + trimmed + "<EOR>";

  Check(StartsWith(output, header), "header changed");
  size_t at = header.size();
  for (size_t i = 0; i + 1 < pieces.size(); ++i) {
    const std::string_view record = pieces[i];
    const QByteArray banded = capture::GetBandFromFreq(QByteArrayView(record.data(), qsizetype(record.size())));
    CheckBand(record, View(banded));
    const QByteArray split = capture::DeriveRstSent(banded);
    CheckReports(View(banded), View(split));
    Check(output.substr(at, size_t(split.size())) == View(split), "record differs from its steps");
    at += size_t(split.size());
    Check(output.substr(at, station.size()) == station, "record not closed by the station field");
    at += station.size();
  }
  Check(at == output.size(), "bytes after the last record");
  return 0;
}
