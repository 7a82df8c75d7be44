// Random preferences files: the store must load them without crashing, answer
// lookups as a plain model of the file does, write exactly the model's pairs,
// and a fresh load of what it wrote must write the very same bytes again.
#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "prefs/QELTEasyPrefs.h"

namespace {

namespace prefs = QELTEasyPrefs;
using Pairs = QList<QPair<QByteArray, QByteArray>>;

const QString kName = QStringLiteral("ZVKUtilPrefs");

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_prefs_load: %s\n", what);
    std::abort();
  }
}

QString Folder() {
  static QTemporaryDir* dir = [] {
    auto* d = new QTemporaryDir;  // lives for the whole run
    Check(d->isValid(), "no temporary folder");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(d->path()));
    return d;
  }();
  return dir->path();
}

QByteArray Lower(QByteArray text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

// The file as lines: every CR LF, CR or LF ends a line; a final line break ends
// the last line rather than starting an empty one.
Pairs ModelLoad(QByteArray content) {
  content.replace("\r\n", "\n").replace('\r', '\n');
  QList<QByteArray> lines = content.split('\n');
  if (content.isEmpty() || content.endsWith('\n')) lines.removeLast();
  Pairs pairs;
  for (qsizetype i = 0; i < lines.size(); i += 2)
    pairs.append({lines[i], i + 1 < lines.size() ? lines[i + 1] : QByteArray()});
  return pairs;
}

qsizetype ModelFind(const Pairs& pairs, const QByteArray& key) {
  for (qsizetype i = 0; i < pairs.size(); ++i)
    if (Lower(pairs[i].first) == Lower(key)) return i;
  return -1;
}

QByteArray ModelFile(const Pairs& pairs) {
  QByteArray out;
  for (const auto& [key, value] : pairs) {
    QByteArray k = key, v = value;
    out += k.replace('\r', ' ').replace('\n', ' ') + '\n';
    out += v.replace('\r', ' ').replace('\n', ' ') + '\n';
  }
  return out;
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  Check(f.open(QIODevice::ReadOnly), "written file unreadable");
  return f.readAll();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = Folder() + QLatin1Char('/') + kName;
  FuzzedDataProvider in(data, size);
  const int ops = in.ConsumeIntegralInRange(0, 8);
  const QByteArray content = QByteArray::fromStdString(in.ConsumeRandomLengthString(size));
  {
    QFile f(path);
    Check(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size(),
          "cannot write the input file");
  }

  prefs::ResetForTesting();
  QString error;
  Check(prefs::InitPrefFile(kName, &error), "load failed");
  Pairs model = ModelLoad(content);

  for (int i = 0; i < ops && in.remaining_bytes() > 0; ++i) {
    const int op = in.ConsumeIntegralInRange(0, 2);
    QByteArray key = QByteArray::fromStdString(in.ConsumeRandomLengthString(16));
    // Keys already in the file make hits likely.
    if (!model.isEmpty() && in.ConsumeBool())
      key = model[in.ConsumeIntegralInRange<qsizetype>(0, model.size() - 1)].first;
    const qsizetype at = ModelFind(model, key);
    if (op == 0) {
      const QByteArray def("\x01" "default");
      Check(prefs::GetPrefString(key, def) == (at >= 0 ? model[at].second : def), "lookup differs from the file");
    } else {
      const QByteArray value = op == 1 ? QByteArray::fromStdString(in.ConsumeRandomLengthString(32))
                                       : QByteArray::number(in.ConsumeIntegral<qint64>());
      if (op == 1)
        prefs::SetPrefString(key, value);
      else
        prefs::SetPrefNumber(key, value.toLongLong());
      if (at >= 0)
        model[at].second = value;
      else
        model.append({key, value});
      Check(prefs::GetPrefString(key, "") == value, "a set value does not read back");
    }
  }

  Check(prefs::WritePrefsFile(&error), "write failed");
  const QByteArray written = ReadFile(path);
  Check(written == ModelFile(model), "written file differs from the entries");

  prefs::ResetForTesting();
  Check(prefs::InitPrefFile(kName, &error), "reload failed");
  Check(prefs::WritePrefsFile(&error), "second write failed");
  Check(ReadFile(path) == written, "a fresh load does not write back the same pairs");
  return 0;
}
