// Stands in for the program at close, to be killed at random moments: loads
// the preferences from the XDG config folder, then rewrites them over and
// over, alternating between two known contents, until it is killed. It prints
// "ready" once the first rewrite is done.
//
// Usage: prefs_writer LENGTH   (the length of the long "FileName" value)
#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "prefs/QELTEasyPrefs.h"

int main(int argc, char** argv) {
  const int length = argc > 1 ? std::atoi(argv[1]) : 100000;
  QString error;
  if (!QELTEasyPrefs::InitPrefFile(QStringLiteral("ZVKUtilPrefs"), &error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 2;
  }
  for (long i = 1;; ++i) {
    // Odd rewrites give the "b" contents, even ones the "a" contents.
    const bool b = i % 2 == 1;
    QELTEasyPrefs::SetPrefNumber("Port", b ? 2 : 1);
    QELTEasyPrefs::SetPrefString("PortName", b ? "ttyB" : "ttyA");
    QELTEasyPrefs::SetPrefString("FileName", QByteArray(length, b ? 'b' : 'a'));
    QELTEasyPrefs::SetPrefString("Callsign", b ? "BBBB" : "AAAA");
    if (!QELTEasyPrefs::WritePrefsFile(&error)) {
      std::fprintf(stderr, "%s\n", qPrintable(error));
      return 3;
    }
    if (i == 1) {
      std::puts("ready");
      std::fflush(stdout);
    }
  }
}
