#include "capture/Reception.h"


#include "platform/Text.h"

using platform::ByteSource;
using platform::EndOfLine;
using platform::InStr;
using platform::Len;
using platform::Mid;
using platform::ReplaceAll;

namespace capture {

namespace {

constexpr QByteArrayView kBeginning{"Beginning Export..."};
constexpr QByteArrayView kComplete{"Export Complete!"};

bool HoldsHeader(QByteArrayView text) { return InStr(text, "{") > 0 && InStr(text, "}") > 0; }

// The chunk without framing characters; copies only when there is one to drop.
QByteArray WithoutChar(QByteArray chunk, QByteArrayView marker) {
  if (InStr(chunk, marker) == 0) return chunk;
  return ReplaceAll(chunk, marker, "");
}

// Marks the span of the first yield, also when the yield throws.
class YieldScope {
 public:
  explicit YieldScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~YieldScope() { flag_ = false; }
  YieldScope(const YieldScope&) = delete;
  YieldScope& operator=(const YieldScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void ExportReception::Serial1_DataAvailable(ByteSource& serial, ReceptionView& view) {
  // A data event inside the first yield leaves the bytes for the outer event,
  // which takes them once it is Downloading.
  if (inFirstYield_) return;
  // The port raises no new event for bytes left unread, so bytes that came in
  // during a yield are taken here whenever they can move the export on.
  bool consumed = HandleBuffered(serial, view);
  while (consumed && serial.bytesAvailable() > 0 && CanTakeBuffered(serial))
    consumed = HandleBuffered(serial, view);
}

bool ExportReception::CanTakeBuffered(const ByteSource& serial) const {
  return DownloadStart || HoldsHeader(serial.LookAhead());
}

bool ExportReception::HandleBuffered(ByteSource& serial, ReceptionView& view) {
  if (DownloadStart) return ContinueExport(serial, view);
  // Idle: nothing is consumed until a whole header is buffered.
  if (HoldsHeader(serial.LookAhead())) return BeginExport(serial, view);
  return false;
}

bool ExportReception::BeginExport(ByteSource& serial, ReceptionView& view) {
  QByteArray status = kBeginning.toByteArray();
  status += EndOfLine;
  view.AppendStatus(status);
  ADIFData.clear();

  const QByteArray read = serial.ReadAll();
  const qsizetype open = InStr(read, "{");
  const qsizetype close = InStr(read, "}");
  view.SetProgressMaximum(platform::ToInteger(platform::Val(Mid(read, open + 1, close - open - 1))));

  // An export short enough to arrive whole with its header ends here too;
  // only a "]" after the header counts.
  QByteArray chunk = Mid(read, close + 1).toByteArray();
  const bool ended = TakeChunk(chunk, view);

  {
    YieldScope yielding(inFirstYield_);
    view.DoEvents();
  }

  if (view.TraceOn() && !chunk.isEmpty()) view.AppendStatus(FormatForTrace(chunk));
  if (ended)
    FinishExport(view);
  else
    DownloadStart = true;
  return !read.isEmpty();
}

bool ExportReception::ContinueExport(ByteSource& serial, ReceptionView& view) {
  QByteArray chunk = serial.ReadAll();
  const bool consumed = !chunk.isEmpty();
  const bool ended = TakeChunk(chunk, view);
  if (view.TraceOn() && !chunk.isEmpty()) view.AppendStatus(FormatForTrace(chunk));
  if (ended) FinishExport(view);
  return consumed;
}

bool ExportReception::TakeChunk(QByteArray& chunk, ReceptionView& view) {
  // The end marker ends the export before this read's text is appended;
  // bytes after it in the same read still belong to this export.
  const bool ended = InStr(chunk, "]") > 0;
  if (ended) {
    view.EnableButtons();
    DownloadStart = false;
    chunk = WithoutChar(std::move(chunk), "]");
  }
  chunk = WithoutChar(std::move(chunk), "[");
  ADIFData.append(chunk);
  view.SetProgressValue(Len(ADIFData));
  return ended;
}

void ExportReception::FinishExport(ReceptionView& view) {
  view.SetProgressValue(0);
  view.AddFields();
  if (view.TraceOn()) {
    view.SetStatusText(FormatForTrace(ADIFData));
    QByteArray line = EndOfLine.toByteArray();
    line += kComplete;
    view.AppendStatus(line);
  } else {
    view.AppendStatus(kComplete);
  }
  view.ScrollStatusToLastLine();
  view.RefreshStatus();
  view.DoEvents();
}

QByteArray ExportReception::FormatForTrace(QByteArrayView text) {
  const QByteArray crlf = platform::Chr(13) + platform::Chr(10);
  QByteArray lineThenField = EndOfLine.toByteArray();
  lineThenField += '<';
  return ReplaceAll(ReplaceAll(text, crlf, ""), "<", lineThenField);
}

}  // namespace capture
