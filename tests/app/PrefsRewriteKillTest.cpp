// A program killed while it rewrites the preferences file: at every step of the rewrite in turn.
#include <sys/ptrace.h>
#include <sys/wait.h>

#include "support/AppFixture.h"

namespace {

enum class Ended { killed, finished, failed, untraceable };

// Runs the rewriter under trace up to the stop it makes before the rewrite, then `steps` stops further (every
// system call stops the tracee as it enters and as it leaves), and kills it there unless it has ended.
Ended RewriteKilledAfter(int steps, const QByteArray& value) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(126);
    ::execl(ADIF_PREFS_REWRITER, "prefs_rewriter", value.constData(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);  // stopped at its start, unless it could not be traced or run
  if (WIFEXITED(status) && WEXITSTATUS(status) == 126) return Ended::untraceable;
  if (!WIFSTOPPED(status)) return Ended::failed;
  ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_EXITKILL);
  int signal = 0;  // passed on, but for the stop before the rewrite
  do ::ptrace(PTRACE_CONT, pid, nullptr, signal);
  while (::waitpid(pid, &status, 0) == pid && WIFSTOPPED(status) && (signal = WSTOPSIG(status)) != SIGSTOP);
  for (int step = 0; step < steps && WIFSTOPPED(status); ++step) {
    ::ptrace(PTRACE_SYSCALL, pid, nullptr, 0);
    ::waitpid(pid, &status, 0);
  }
  if (!WIFSTOPPED(status)) return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Ended::finished : Ended::failed;
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return Ended::killed;
}

using PrefsRewrite = testsupport::AppFixture;

// Killed at each step of the rewrite in turn until a run finishes it, the program leaves the old file or the
// new one, whole: never none and never a part.
TEST_F(PrefsRewrite, aKillAnywhereInTheRewriteLeavesTheOldFileOrTheNewOneWhole) {
  const QByteArray value(64 * 1024, 'n');  // long enough for a buffered write to take several calls
  const QByteArray before = "Callsign\nOLD1\nFileName\nold.ADI\n", after = "Callsign\nOLD1\nFileName\n" + value + "\n";
  int left[2] = {0, 0};  // kills that left the old file, the new one
  for (int steps = 0;; ++steps) {
    SCOPED_TRACE("killed " + std::to_string(steps) + " steps into the rewrite");
    QFile file(prefsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
    file.close();
    const Ended run = RewriteKilledAfter(steps, value);
    if (run == Ended::untraceable) GTEST_SKIP() << "this system lets no process be traced (ptrace refused)";
    ASSERT_NE(run, Ended::failed) << "the rewriter failed";
    const QByteArray found = Contents(prefsPath());
    ASSERT_TRUE(found == before || found == after)
        << (QFile::exists(prefsPath()) ? "left a file of " + std::to_string(found.size()) + " bytes, starting "
                                             + testing::PrintToString(found.left(40))
                                       : std::string("left no file"));
    if (run == Ended::finished) break;
    ++left[found == after];
  }
  EXPECT_GT(left[0], 0) << "no kill before the new file took the old one's place";
  EXPECT_GT(left[1], 0) << "no kill after it";
}

}  // namespace
