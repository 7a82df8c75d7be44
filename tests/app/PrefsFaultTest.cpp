// The preferences file under faults: a program killed while it rewrites the
// file leaves the old file or the new one, never a mix; a preferences folder
// that cannot be written still lets the window close, and says which file.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <random>

#include "support/AppFixture.h"
#include "support/AsOrdinaryUser.h"

namespace {

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The two contents prefs_writer alternates between.
QByteArray Contents(char which, int length) {
  const bool b = which == 'b';
  return QByteArray("Port\n") + (b ? "2" : "1") + "\nPortName\n" + (b ? "ttyB" : "ttyA") + "\nFileName\n" +
         QByteArray(length, which) + "\nCallsign\n" + (b ? "BBBB" : "AAAA") + "\n";
}

TEST(PrefsKilled, killedAtRandomMomentsWhileRewritingLeavesTheOldOrTheNewFileNeverAMix) {
  QTemporaryDir config;
  ASSERT_TRUE(config.isValid());
  const QString path = QDir(config.path()).filePath("ZVKUtilPrefs");
  constexpr int kLength = 256 * 1024;  // each rewrite takes a while, so kills land inside them
  const QByteArray a = Contents('a', kLength);
  const QByteArray b = Contents('b', kLength);
  ASSERT_TRUE(WriteFile(path, a));

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", config.path());
  std::mt19937 random(1105);
  constexpr int kills = 200;
  int foundA = 0;
  int foundB = 0;
  int leftovers = 0;
  for (int kill = 0; kill < kills; ++kill) {
    SCOPED_TRACE("kill " + std::to_string(kill));
    QProcess writer;
    writer.setProcessEnvironment(env);
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(QStringLiteral(ADIF_PREFS_WRITER), {QString::number(kLength)});
    ASSERT_TRUE(writer.waitForStarted(10000));
    QByteArray said;
    while (!said.contains("ready") && writer.state() == QProcess::Running) {
      writer.waitForReadyRead(10000);
      said += writer.readAllStandardOutput();
    }
    ASSERT_TRUE(said.contains("ready")) << "exit code " << writer.exitCode();
    // Somewhere in the next rewrites.
    QThread::usleep(std::uniform_int_distribution<int>(0, 5000)(random));
    writer.kill();
    ASSERT_TRUE(writer.waitForFinished(10000));
    ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit);  // it was still writing

    const QByteArray found = ReadFile(path);
    if (found == a)
      ++foundA;
    else if (found == b)
      ++foundB;
    else
      FAIL() << "a file of " << found.size() << " bytes that is neither rewrite";
    // A kill between linking the finished new file under a temporary name and
    // renaming it over the old one leaves that name behind: a whole copy too.
    for (const QString& name : QDir(config.path()).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
      if (name == "ZVKUtilPrefs") continue;
      const QString left = QDir(config.path()).filePath(name);
      const QByteArray copy = ReadFile(left);
      ASSERT_TRUE(name.startsWith("ZVKUtilPrefs.") && (copy == a || copy == b))
          << name.toStdString() << " of " << copy.size() << " bytes";
      ++leftovers;
      ASSERT_TRUE(QFile::remove(left));
    }
  }
  // Kills landed on both sides of a rewrite, not always at the same point.
  EXPECT_GT(foundA, 0);
  EXPECT_GT(foundB, 0);
  std::printf("prefs_writer killed %d times: contents a/b found %d/%d times, %d whole copies left beside\n",
              kills, foundA, foundB, leftovers);
}

class PrefsFolderFault : public testsupport::AppFixture {};

TEST_F(PrefsFolderFault, readOnlyPreferencesFolderStillClosesTheWindowAndNamesTheFile) {
  ASSERT_TRUE(WriteFile(prefsPath(), "Callsign\nOLD1\n"));
  setPorts({{"ttyNONE", "/dev/null-no-such-port"}});
  openWindow();
  ASSERT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  QTest::keyClicks(window->CallsignText(), "k1abc");

  const QFile::Permissions before = QFile::permissions(configDir());
  ASSERT_TRUE(QFile::setPermissions(configDir(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                     QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
  bool closed = false;
  {
    testsupport::AsOrdinaryUser user;
    ASSERT_TRUE(user.ok());
    closed = window->close();
  }
  QFile::setPermissions(configDir(), before);

  EXPECT_TRUE(closed);
  EXPECT_FALSE(window->isVisible());
  ASSERT_EQ(messages.size(), 1) << messages.join("|").toStdString();
  EXPECT_TRUE(messages[0].contains(prefsPath())) << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains("Permission denied")) << messages[0].toStdString();
  EXPECT_EQ(ReadFile(prefsPath()), "Callsign\nOLD1\n");
  EXPECT_EQ(QDir(configDir()).entryList(QDir::Files | QDir::Hidden), QStringList{"ZVKUtilPrefs"});
  window.reset();  // closed already: nothing more to write
}

}  // namespace
