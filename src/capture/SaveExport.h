#pragma once
// Writing a received export to an ".ADI" file: one generated header line, then
// the buffer exactly as held.

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QIODevice;

namespace capture {

// "ZVK" yyyyMMdd "T" HHmmss ".ADI", the name offered when none is remembered.
QString DefaultFileName(const QDateTime& when);
// "Generated on YYYY-MM-DD at HH:MM:SS" (no line break).
QByteArray HeaderLine(const QDateTime& when);

// Writes the header line, the line break and `data` to `device` (open for
// writing). False, with `error` set to the device's reason, on a failed write.
bool WriteExport(QIODevice& device, const QDateTime& when, const QByteArray& data, QString* error);

// Writes the file at `path` atomically: an existing file is replaced only by a
// complete new one. False, with `error` naming the file and the system's
// reason, when it cannot be written.
bool WriteExportFile(const QString& path, const QDateTime& when, const QByteArray& data,
                     QString* error);

}  // namespace capture
