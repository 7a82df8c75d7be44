// Stands in for the program at close: loads the preferences and sets "FileName" to VALUE, then stops itself,
// so that a tracer can follow the rewrite that comes next call by call and kill it anywhere.
#include <csignal>
#include <cstdlib>

#include "prefs/QELTEasyPrefs.h"

int main(int argc, char** argv) {
  if (argc < 2 || !QELTEasyPrefs::InitPrefFile(QStringLiteral("ZVKUtilPrefs"))) return 2;
  QELTEasyPrefs::SetPrefString("FileName", argv[1]);
  std::raise(SIGSTOP);
  // No exit handlers: the tracer still holds the process, which a leak check at exit would try to trace.
  std::_Exit(QELTEasyPrefs::WritePrefsFile() ? 0 : 3);
}
