// The preferences store against real files in a temporary XDG config folder.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <limits>

#include "prefs/QELTEasyPrefs.h"
#include "support/AsOrdinaryUser.h"

namespace {

namespace prefs = QELTEasyPrefs;

const QString kName = QStringLiteral("ZVKUtilPrefs");

class PrefsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp.isValid());
    savedXdg = qgetenv("XDG_CONFIG_HOME");
    hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    // A folder that does not exist yet, as on a fresh account.
    folder = temp.filePath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
    prefs::ResetForTesting();
  }
  void TearDown() override {
    prefs::ResetForTesting();
    if (hadXdg)
      qputenv("XDG_CONFIG_HOME", savedXdg);
    else
      qunsetenv("XDG_CONFIG_HOME");
  }

  QString path() const { return folder + QLatin1Char('/') + kName; }
  void writeFile(const QByteArray& bytes) {
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  QByteArray readFile() const {
    QFile f(path());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
  }
  // Loads the file as the next run would.
  void freshLoad() {
    prefs::ResetForTesting();
    QString error;
    ASSERT_TRUE(prefs::InitPrefFile(kName, &error)) << error.toStdString();
  }
  void load(const QByteArray& bytes) {
    writeFile(bytes);
    freshLoad();
  }
  void write() {
    QString error;
    ASSERT_TRUE(prefs::WritePrefsFile(&error)) << error.toStdString();
  }

  QTemporaryDir temp;
  QString folder;
  QByteArray savedXdg;
  bool hadXdg = false;
};

TEST_F(PrefsStoreTest, firstRunCreatesFolderAndEmptyFileAndWritesKeysInOrderOfFirstSet) {
  ASSERT_FALSE(QFile::exists(folder));
  freshLoad();
  EXPECT_EQ(prefs::PrefFilePath(), path());
  ASSERT_TRUE(QFile::exists(path()));
  EXPECT_EQ(readFile(), QByteArray());
  EXPECT_EQ(prefs::GetPrefString("PortName", "none"), QByteArray("none"));
  prefs::SetPrefNumber("Port", -1);
  prefs::SetPrefString("PortName", "");
  prefs::SetPrefString("FileName", "");
  prefs::SetPrefString("Callsign", "K1ABC");
  write();
  EXPECT_EQ(readFile(), QByteArray("Port\n-1\nPortName\n\nFileName\n\nCallsign\nK1ABC\n"));
}

TEST_F(PrefsStoreTest, unknownKeyGivesTheDefaultAndOnlyEntriesSetAreWritten) {
  load("");
  EXPECT_EQ(prefs::GetPrefString("Callsign", "none"), QByteArray("none"));
  write();
  EXPECT_EQ(readFile(), QByteArray());
  prefs::SetPrefString("Callsign", "W1AW");
  EXPECT_EQ(prefs::GetPrefString("Nope", "fallback"), QByteArray("fallback"));
  write();
  EXPECT_EQ(readFile(), QByteArray("Callsign\nW1AW\n"));
}

TEST_F(PrefsStoreTest, oddLastLineIsKeyWithEmptyValue) {
  load("Port\n3\nCallsign");
  EXPECT_EQ(prefs::GetPrefString("Port", ""), QByteArray("3"));
  EXPECT_EQ(prefs::GetPrefString("Callsign", "default"), QByteArray());
  write();
  EXPECT_EQ(readFile(), QByteArray("Port\n3\nCallsign\n\n"));
}

TEST_F(PrefsStoreTest, crLfAndCrLineEndsAreReadAndWrittenBackAsLf) {
  load("PortName\r\n/dev/ttyUSB0\r\nFileName\rlog.ADI\r\r\nCallsign\nK1ABC");
  EXPECT_EQ(prefs::GetPrefString("PortName", ""), QByteArray("/dev/ttyUSB0"));
  EXPECT_EQ(prefs::GetPrefString("FileName", ""), QByteArray("log.ADI"));
  // "\r" then "\r\n" are two line ends: an empty key with the value "Callsign".
  EXPECT_EQ(prefs::GetPrefString("", "x"), QByteArray("Callsign"));
  write();
  EXPECT_EQ(readFile(), QByteArray("PortName\n/dev/ttyUSB0\nFileName\nlog.ADI\n\nCallsign\nK1ABC\n\n"));
}

TEST_F(PrefsStoreTest, duplicateKeysUseFirstAndKeepLaterOnesInPlace) {
  load("Callsign\nAA1\nPort\n1\nCALLSIGN\nBB2\n");
  EXPECT_EQ(prefs::GetPrefString("callsign", ""), QByteArray("AA1"));
  prefs::SetPrefString("CallSign", "CC3");
  EXPECT_EQ(prefs::GetPrefString("Callsign", ""), QByteArray("CC3"));
  write();
  // The stored key text is kept; the later duplicate is written back unchanged.
  EXPECT_EQ(readFile(), QByteArray("Callsign\nCC3\nPort\n1\nCALLSIGN\nBB2\n"));
}

TEST_F(PrefsStoreTest, emptyKeyIsAnEntryButSpareElementNeverMatches) {
  freshLoad();
  EXPECT_EQ(prefs::GetPrefString("", "default"), QByteArray("default"));
  load("\nvalue\n");
  EXPECT_EQ(prefs::GetPrefString("", "default"), QByteArray("value"));
}

TEST_F(PrefsStoreTest, storedKeysKeepTheirPlaceAndNewKeysGoLast) {
  const QByteArray content("Port\n2\nPortName\n/dev/ttyS0\nCallsign\nK1ABC\n");
  load(content);
  write();
  EXPECT_EQ(readFile(), content);
  prefs::SetPrefString("Zeta", "z");
  prefs::SetPrefString("PortName", "/dev/ttyUSB1");
  prefs::SetPrefNumber("Min", std::numeric_limits<qint64>::min());
  write();
  EXPECT_EQ(readFile(), QByteArray("Port\n2\nPortName\n/dev/ttyUSB1\nCallsign\nK1ABC\nZeta\nz\n"
                                   "Min\n-9223372036854775808\n"));
}

TEST_F(PrefsStoreTest, valuesSurviveAFreshLoadByteForByte) {
  freshLoad();
  const QByteArray binary("a\0b\xff\xfe tail", 11);
  const QByteArray utf8("Gr\xc3\xbc\xc3\x9f" "e.ADI");
  prefs::SetPrefString("Binary", binary);
  prefs::SetPrefString("FileName", utf8);
  prefs::SetPrefString("Empty", "");
  write();
  freshLoad();
  EXPECT_EQ(prefs::GetPrefString("Binary", ""), binary);
  EXPECT_EQ(prefs::GetPrefString("FileName", ""), utf8);
  EXPECT_EQ(prefs::GetPrefString("Empty", "x"), QByteArray());
}

TEST_F(PrefsStoreTest, lineBreaksInsideKeysAndValuesNeverShiftLinePairs) {
  freshLoad();
  const QByteArray odd("log\nfile\r\nname.ADI\r");
  prefs::SetPrefString("FileName", odd);
  prefs::SetPrefString("Two\nLines", "v");
  prefs::SetPrefString("Callsign", "K1ABC");
  EXPECT_EQ(prefs::GetPrefString("FileName", ""), odd);  // unchanged for the run
  write();
  EXPECT_EQ(readFile(), QByteArray("FileName\nlog file  name.ADI \nTwo Lines\nv\nCallsign\nK1ABC\n"));
  freshLoad();
  EXPECT_EQ(prefs::GetPrefString("Callsign", ""), QByteArray("K1ABC"));
  EXPECT_EQ(prefs::GetPrefString("FileName", ""), QByteArray("log file  name.ADI "));
  EXPECT_EQ(prefs::GetPrefString("Two Lines", ""), QByteArray("v"));
}

TEST_F(PrefsStoreTest, binaryBytesAndHugeLineLoad) {
  const QByteArray huge(10 * 1024 * 1024, 'x');
  QByteArray content("Nul\0key\n\xff\xfe\n", 11);
  content += "Huge\n" + huge + "\nCallsign\nK1ABC\n";
  load(content);
  EXPECT_EQ(prefs::GetPrefString(QByteArrayView("Nul\0key", 7), ""), QByteArray("\xff\xfe"));
  EXPECT_EQ(prefs::GetPrefString("Huge", ""), huge);
  EXPECT_EQ(prefs::GetPrefString("Callsign", ""), QByteArray("K1ABC"));
  write();
  EXPECT_EQ(readFile(), content);
}

TEST_F(PrefsStoreTest, unreadableFileReportsPermissionError) {
  writeFile("Callsign\nK1ABC\n");
  ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::Permissions()));
  // Only the file is closed to others: its folders stay open to them.
  const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                    QFileDevice::ReadOther | QFileDevice::ExeOther;
  ASSERT_TRUE(QFile::setPermissions(temp.path(), open));
  ASSERT_TRUE(QFile::setPermissions(folder, open));
  QString error;
  bool loaded = true;
  {
    testsupport::AsOrdinaryUser user;
    ASSERT_TRUE(user.ok());
    loaded = prefs::InitPrefFile(kName, &error);
  }
  EXPECT_FALSE(loaded);
  EXPECT_TRUE(error.contains(path())) << error.toStdString();
  EXPECT_EQ(prefs::GetPrefString("Callsign", "none"), QByteArray("none"));
}

TEST_F(PrefsStoreTest, folderThatIsAFileFailsLoadAndWriteWithReason) {
  QFile blocker(folder);
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  QString error;
  EXPECT_FALSE(prefs::InitPrefFile(kName, &error));
  EXPECT_TRUE(error.contains(folder)) << error.toStdString();
  EXPECT_EQ(prefs::GetPrefString("Port", "d"), QByteArray("d"));
  prefs::SetPrefNumber("Port", 1);
  error.clear();
  EXPECT_FALSE(prefs::WritePrefsFile(&error));
  EXPECT_TRUE(error.contains(folder)) << error.toStdString();
}

TEST_F(PrefsStoreTest, writeBeforeLoadFailsWithError) {
  QString error;
  EXPECT_FALSE(prefs::WritePrefsFile(&error));
  EXPECT_FALSE(error.isEmpty());
}

}  // namespace
