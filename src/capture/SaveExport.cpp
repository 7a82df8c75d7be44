#include "capture/SaveExport.h"

#include <QDir>
#include <QSaveFile>

#include "platform/Text.h"

namespace capture {

using platform::Format;

QString DefaultFileName(const QDateTime& when) {
  const QDate d = when.date();
  const QTime t = when.time();
  const QByteArray name = "ZVK" + Format(d.year(), "0000") + Format(d.month(), "00") +
                          Format(d.day(), "00") + "T" + Format(t.hour(), "00") +
                          Format(t.minute(), "00") + Format(t.second(), "00") + ".ADI";
  return QString::fromLatin1(name);
}

QByteArray HeaderLine(const QDateTime& when) {
  const QDate d = when.date();
  const QTime t = when.time();
  return "Generated on " + Format(d.year(), "0000") + "-" + Format(d.month(), "00") + "-" +
         Format(d.day(), "00") + " at " + Format(t.hour(), "00") + ":" + Format(t.minute(), "00") +
         ":" + Format(t.second(), "00");
}

namespace {

// A device may take part of a write; only a refusal is a failure.
bool writeAll(QIODevice& device, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const qint64 n = device.write(bytes.constData() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

bool WriteExport(QIODevice& device, const QDateTime& when, const QByteArray& data, QString* error) {
  const QByteArray head = HeaderLine(when) + platform::EndOfLine.toByteArray();
  if (!writeAll(device, head) || !writeAll(device, data)) {
    if (error) *error = device.errorString();
    return false;
  }
  return true;
}

bool WriteExportFile(const QString& path, const QDateTime& when, const QByteArray& data,
                     QString* error) {
  QSaveFile file(path);
  QString reason;
  // Unbuffered: a write that fails (a full disk) fails here, where it is seen;
  // QSaveFile::commit would replace the old file even when its final flush fails.
  bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  if (!ok) {
    reason = file.errorString();
  } else if (!WriteExport(file, when, data, &reason)) {
    file.cancelWriting();
    ok = false;
  } else if (!file.commit()) {
    reason = file.errorString();
    ok = false;
  }
  if (!ok && error) {
    *error = QStringLiteral("The file \"%1\" could not be saved: %2")
                 .arg(QDir::toNativeSeparators(path), reason);
  }
  return ok;
}

}  // namespace capture
