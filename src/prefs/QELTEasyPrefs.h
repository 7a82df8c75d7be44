#pragma once
// The preferences store: named text values kept for the run in module-level
// lists and between runs in one plain text file of key and value lines in the
// user's preferences folder. No window needed.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace QELTEasyPrefs {

// Locates `fileName` in the preferences folder (created if missing); creates
// the file empty if missing, else appends its pairs. False, with `error` set
// (file and reason), when the folder or file cannot be made or read; the
// store then keeps what it could load.
bool InitPrefFile(const QString& fileName, QString* error = nullptr);
// The value of the first entry with `key` (ASCII case ignored), else `def`.
QByteArray GetPrefString(QByteArrayView key, QByteArrayView def);
// Replaces the first entry's value, else appends a new entry.
void SetPrefString(QByteArrayView key, QByteArrayView value);
void SetPrefNumber(QByteArrayView key, qint64 number);
// Atomically replaces the file by every entry. False, with `error` set (file
// and reason), when it cannot; the old file is then left whole.
bool WritePrefsFile(QString* error = nullptr);

// The preferences folder: the user's XDG config folder.
QString PreferencesFolder();
// The file InitPrefFile located ("" before).
QString PrefFilePath();
// Back to the program-start state (tests).
void ResetForTesting();

}  // namespace QELTEasyPrefs
