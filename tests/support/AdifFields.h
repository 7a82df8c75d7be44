#pragma once
// An ADIF text read back as another program reads it, so that a field whose length is off shows.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <utility>

namespace testsupport {

using AdifField = std::pair<QByteArray, QByteArray>;  // name, data

// The fields after the header: "<NAME:length>data" with the length counting bytes, and bare markers such as
// "<EOR>", with line breaks between them. What cannot be read ends the list as "unread".
inline QList<AdifField> ReadFields(QByteArrayView text) {
  QList<AdifField> fields;
  for (text = text.sliced(text.indexOf("<EOH>") + 5).trimmed(); text.startsWith('<'); text = text.trimmed()) {
    const qsizetype gt = text.indexOf('>');
    const QByteArrayView tag = gt < 0 ? QByteArrayView() : text.sliced(1, gt - 1);
    const qsizetype colon = tag.contains(':') ? tag.indexOf(':') : tag.size();
    bool ok = gt > 0;
    const qsizetype length = colon < tag.size() ? tag.sliced(colon + 1).toLongLong(&ok) : 0;
    if (!ok || length < 0 || length > text.size() - gt - 1) break;
    fields.append({tag.first(colon).toByteArray(), text.sliced(gt + 1, length).toByteArray()});
    text = text.sliced(gt + 1 + length);
  }
  if (!text.isEmpty()) fields.append({"unread", text.toByteArray()});
  return fields;
}

}  // namespace testsupport
