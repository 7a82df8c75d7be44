// Stands in for the program at close, to be killed at random moments: loads the preferences, then rewrites
// them over and over, "FileName" being LENGTH times "b", then "a". Says "ready" after the first rewrite.
#include <cstdio>
#include <cstdlib>

#include "prefs/QELTEasyPrefs.h"

int main(int argc, char** argv) {
  if (argc < 2 || !QELTEasyPrefs::InitPrefFile(QStringLiteral("ZVKUtilPrefs"))) return 2;
  for (long i = 1;; ++i) {
    QELTEasyPrefs::SetPrefString("FileName", QByteArray(std::atoi(argv[1]), i % 2 ? 'b' : 'a'));
    if (!QELTEasyPrefs::WritePrefsFile()) return 3;
    if (i == 1 && std::puts("ready") >= 0) std::fflush(stdout);
  }
}
