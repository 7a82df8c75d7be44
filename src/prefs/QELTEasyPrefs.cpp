#include "prefs/QELTEasyPrefs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

#include "platform/Text.h"

namespace QELTEasyPrefs {

namespace {

// The store's state for the whole run. Index 0 of both lists is a spare
// element that is never read, compared or written: entries start at 1.
QString prefFile;
QList<QByteArray> prefNames{QByteArray()};
QList<QByteArray> prefItems{QByteArray()};

void SetError(QString* error, const QString& message) {
  if (error) *error = message;
}

// Makes `folder` (and its parents) when missing; false with `error` set otherwise.
bool MakeFolder(const QString& folder, QString* error) {
  std::error_code ec;
  const std::filesystem::path path(QFile::encodeName(folder).toStdString());
  if (std::filesystem::is_directory(path, ec)) return true;
  std::filesystem::create_directories(path, ec);
  if (!ec && std::filesystem::is_directory(path, ec)) return true;
  SetError(error, QStringLiteral("Cannot create the preferences folder \"%1\": %2")
                      .arg(QDir::toNativeSeparators(folder),
                           QString::fromStdString(ec ? ec.message() : std::string("Not a directory"))));
  return false;
}

void Append(QByteArray key, QByteArray value) {
  prefNames.append(std::move(key));
  prefItems.append(std::move(value));
}

// Appends the key/value line pairs of `content`. A line ends at "\n", "\r\n"
// or "\r", or at the end of the data; an odd last line is a key whose value is
// the empty text.
void LoadPairs(const QByteArray& content) {
  const char* const data = content.constData();
  const qsizetype size = content.size();
  qsizetype pos = 0;
  auto nextLine = [&]() {
    qsizetype end = pos;
    while (end < size && data[end] != '\n' && data[end] != '\r') ++end;
    QByteArray line(data + pos, end - pos);
    if (end < size) end += (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n') ? 2 : 1;
    pos = end;
    return line;
  };
  while (pos < size) {
    QByteArray key = nextLine();
    Append(std::move(key), nextLine());
  }
}

// A line break inside a key or value would shift every later key/value line
// of the file, so each CR or LF is written as a space. The value in memory
// stays as it was set.
QByteArray AsLine(const QByteArray& text) {
  QByteArray line = text;
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  return line;
}

}  // namespace

QString PreferencesFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString PrefFilePath() { return prefFile; }

bool InitPrefFile(const QString& fileName, QString* error) {
  const QString folder = PreferencesFolder();
  if (folder.isEmpty()) {
    SetError(error, QStringLiteral("Cannot find the preferences folder for \"%1\": no home folder").arg(fileName));
    return false;
  }
  prefFile = folder + QLatin1Char('/') + fileName;
  if (!MakeFolder(folder, error)) return false;

  QFile file(prefFile);
  if (!QFileInfo::exists(prefFile)) {
    // First run: an empty file, so the folder is known to be usable.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      SetError(error, QStringLiteral("Cannot create the preferences file \"%1\": %2")
                          .arg(QDir::toNativeSeparators(prefFile), file.errorString()));
      return false;
    }
    return true;
  }
  if (!file.open(QIODevice::ReadOnly)) {
    SetError(error, QStringLiteral("Cannot read the preferences file \"%1\": %2")
                        .arg(QDir::toNativeSeparators(prefFile), file.errorString()));
    return false;
  }
  // Read in chunks so a read error still leaves what came before it.
  QByteArray content;
  bool readFailed = false;
  for (;;) {
    char chunk[64 * 1024];
    const qint64 n = file.read(chunk, sizeof chunk);
    if (n < 0) {
      readFailed = true;
      break;
    }
    if (n == 0) break;
    content.append(chunk, n);
  }
  LoadPairs(content);
  if (readFailed) {
    SetError(error, QStringLiteral("Cannot read the preferences file \"%1\": %2")
                        .arg(QDir::toNativeSeparators(prefFile), file.errorString()));
    return false;
  }
  return true;
}

QByteArray GetPrefString(QByteArrayView key, QByteArrayView def) {
  for (qsizetype i = 1; i < prefNames.size(); ++i)
    if (platform::Equals(prefNames[i], key)) return prefItems[i];
  return def.toByteArray();
}

void SetPrefString(QByteArrayView key, QByteArrayView value) {
  for (qsizetype i = 1; i < prefNames.size(); ++i) {
    if (platform::Equals(prefNames[i], key)) {
      prefItems[i] = value.toByteArray();
      return;
    }
  }
  Append(key.toByteArray(), value.toByteArray());
}

void SetPrefNumber(QByteArrayView key, qint64 number) { SetPrefString(key, platform::Str(number)); }

bool WritePrefsFile(QString* error) {
  if (prefFile.isEmpty()) {
    SetError(error, QStringLiteral("Cannot write the preferences: the preferences file was never located"));
    return false;
  }
  // The folder may have gone since the load; make it again if so.
  if (!MakeFolder(QFileInfo(prefFile).path(), error)) return false;

  QByteArray content;
  for (qsizetype i = 1; i < prefNames.size(); ++i) {
    content += AsLine(prefNames[i]);
    content += platform::EndOfLine;
    content += AsLine(prefItems[i]);
    content += platform::EndOfLine;
  }
  // A new file in the same folder replaces the old one only once it is whole,
  // so a crash or a full disk never loses the preferences already saved.
  // Unbuffered, so a failed write is seen before commit replaces the old file.
  QSaveFile file(prefFile);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(content) != content.size() || !file.commit()) {
    SetError(error, QStringLiteral("Cannot write the preferences file \"%1\": %2")
                        .arg(QDir::toNativeSeparators(prefFile), file.errorString()));
    return false;  // the unfinished new file is discarded; the old one stays
  }
  return true;
}

void ResetForTesting() {
  prefFile.clear();
  prefNames = {QByteArray()};
  prefItems = {QByteArray()};
}

}  // namespace QELTEasyPrefs
