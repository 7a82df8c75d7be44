#pragma once
// Export reception: frames one device export ("{" N "}" text "]") from the
// serial buffer into ADIFData, shows progress and status, and completes the
// records when the end marker arrives. Window-free: the window supplies a
// ReceptionView.

#include <QByteArray>
#include <QByteArrayView>

#include "platform/ByteSource.h"

namespace capture {

// What reception touches on the main window.
class ReceptionView {
 public:
  virtual ~ReceptionView() = default;
  // StatusField.AppendText: the bytes shown one character each (Latin-1).
  virtual void AppendStatus(QByteArrayView text) = 0;
  // StatusField.Text (set), same display rule.
  virtual void SetStatusText(QByteArrayView text) = 0;
  // ScrollPosition = LineNumAtCharPos(Len(Text)): the last line to the top.
  virtual void ScrollStatusToLastLine() = 0;
  // StatusField.Refresh(True).
  virtual void RefreshStatus() = 0;
  // Trace.Value, read at each step that may show text.
  virtual bool TraceOn() const = 0;
  virtual void SetProgressMaximum(qint64 maximum) = 0;
  // Sets Value, then redraws the bar without erasing its background.
  virtual void SetProgressValue(qint64 value) = 0;
  // Enables PushButton1, then PushButton2.
  virtual void EnableButtons() = 0;
  // Application.DoEvents(-1): pending events handled once.
  virtual void DoEvents() = 0;
  // Record completion on ADIFData with the call sign in force now.
  virtual void AddFields() = 0;
};

class ExportReception {
 public:
  // The DataAvailable handler.
  void Serial1_DataAvailable(platform::ByteSource& serial, ReceptionView& view);

  // Display form: CR LF pairs removed, then every "<" preceded by a line break.
  static QByteArray FormatForTrace(QByteArrayView text);

  QByteArray ADIFData;         // the export being received or last received
  bool DownloadStart = false;  // true while Downloading

 private:
  // One pass over the buffered bytes; true when it consumed any.
  bool HandleBuffered(platform::ByteSource& serial, ReceptionView& view);
  // Whether buffered bytes can be taken now (Downloading, or a whole header waits).
  bool CanTakeBuffered(const platform::ByteSource& serial) const;
  bool BeginExport(platform::ByteSource& serial, ReceptionView& view);
  bool ContinueExport(platform::ByteSource& serial, ReceptionView& view);
  // Takes one read's text (framing removed) into ADIFData; true when it held the end marker.
  bool TakeChunk(QByteArray& chunk, ReceptionView& view);
  void FinishExport(ReceptionView& view);

  bool inFirstYield_ = false;  // a Begin is waiting in its yield
};

}  // namespace capture
