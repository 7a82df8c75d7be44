// Opening and closing the real main window: what start-up reads, lists and
// opens, and what closing writes to the preferences file.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <array>

#include "platform/SerialControl.h"
#include "prefs/QELTEasyPrefs.h"
#include "support/AppFixture.h"
#include "support/PtyPair.h"

namespace {

const QString kWaitingLine = QStringLiteral("Waiting for ADIF data...\n");
const QString kNoPorts = QStringLiteral("System has no serial ports!  No way to communicate with QZT605!");

class OpenClose : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    for (const auto& pty : ptys_) ASSERT_TRUE(pty.ok());
  }

  // Three real ports, "ttyA", "ttyB" and "ttyC" in that order.
  void setThreePorts() {
    setPorts({{"ttyA", ptys_[0].portPath()}, {"ttyB", ptys_[1].portPath()}, {"ttyC", ptys_[2].portPath()}});
  }
  void writePrefs(const QByteArray& content) {
    QFile f(prefsPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(content), content.size());
  }
  QByteArray readPrefs() const {
    QFile f(prefsPath());
    if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
    return f.readAll();
  }
  // Closes the window and starts the next run as a new process would: the
  // store's module state begins anew.
  void restart() {
    closeWindow();
    QELTEasyPrefs::ResetForTesting();
    messages.clear();
    beeps = 0;
    openWindow();
  }

  std::array<testsupport::PtyPair, 3> ptys_;
};

TEST_F(OpenClose, firstRunCreatesEmptyFileOpensNothingAndClosingWritesFourKeysInOrder) {
  setThreePorts();
  QGuiApplication::setQuitOnLastWindowClosed(false);
  openWindow();
  EXPECT_EQ(window->windowTitle(), "Kestrune ADIF Utility v1.0.0");
  EXPECT_TRUE(QGuiApplication::quitOnLastWindowClosed());
  EXPECT_TRUE(QFile::exists(prefsPath()));
  EXPECT_EQ(readPrefs(), "");
  EXPECT_EQ(window->SerialPortMenu()->count(), 3);
  EXPECT_EQ(window->SerialPortMenu()->itemText(0), "ttyA");
  EXPECT_EQ(window->SerialPortMenu()->itemText(2), "ttyC");
  EXPECT_EQ(window->SerialPortMenu()->currentIndex(), -1);
  EXPECT_EQ(window->m_Port, -1);
  EXPECT_TRUE(window->m_PortName.isEmpty());
  EXPECT_TRUE(window->m_Filename.isEmpty());
  EXPECT_TRUE(window->m_CallText.isEmpty());
  EXPECT_FALSE(window->Serial1()->isOpen());
  EXPECT_EQ(window->StatusField()->toPlainText(), "");
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_EQ(beeps, 0);
  EXPECT_FALSE(window->m_Startup);

  QTest::keyClicks(window->CallsignText(), "k1abc");
  EXPECT_TRUE(window->close());
  EXPECT_EQ(readPrefs(), "Port\n-1\nPortName\n\nFileName\n\nCallsign\nK1ABC\n");
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(OpenClose, ofTwoPortsBearingTheRememberedNameTheHigherIndexWins) {
  setPorts({{"ttyA", ptys_[0].portPath()}, {"ttyDUP", ptys_[1].portPath()}, {"ttyDUP", ptys_[2].portPath()}});
  writePrefs("PortName\nttyDUP\n");
  openWindow();
  EXPECT_EQ(window->SerialPortMenu()->currentIndex(), 2);
  EXPECT_EQ(window->m_Port, 2);
  ASSERT_TRUE(window->Serial1()->isOpen());
  EXPECT_EQ(window->Serial1()->port(), ptys_[2].portPath());
  EXPECT_EQ(window->StatusField()->toPlainText(), kWaitingLine);
}

TEST_F(OpenClose, rememberedNameMatchesIgnoringLetterCase) {
  setThreePorts();
  writePrefs("PortName\nTTYc\n");
  openWindow();
  EXPECT_EQ(window->m_Port, 2);
  EXPECT_TRUE(window->Serial1()->isOpen());
  // The stored spelling is kept until the user picks a port.
  EXPECT_EQ(window->m_PortName, "TTYc");
}

TEST_F(OpenClose, noSerialPortsBeepsSaysSoAndLeavesTheListEmpty) {
  setPorts({});
  writePrefs("PortName\nttyB\n");
  openWindow();
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(messages, QStringList{kNoPorts});
  EXPECT_EQ(window->SerialPortMenu()->count(), 0);
  EXPECT_EQ(window->SerialPortMenu()->currentIndex(), -1);
  EXPECT_EQ(window->m_Port, -1);
  EXPECT_FALSE(window->Serial1()->isOpen());
  EXPECT_FALSE(window->m_Startup);
}

TEST_F(OpenClose, rememberedPortThatFailsToOpenBeepsKeepsItsRowAndIsStoredAgain) {
  setPorts({{"ttyA", ptys_[0].portPath()}, {"ttyGONE", "/nonexistent/ttyX"}});
  writePrefs("PortName\nttyGONE\n");
  openWindow();
  EXPECT_EQ(beeps, 1);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("Error opening serial port\n\n")) << messages[0].toStdString();
  EXPECT_GT(messages[0].size(), QStringLiteral("Error opening serial port\n\n").size());  // the reason
  EXPECT_EQ(window->SerialPortMenu()->currentIndex(), 1);
  EXPECT_EQ(window->m_Port, 1);
  EXPECT_FALSE(window->Serial1()->isOpen());
  EXPECT_EQ(window->StatusField()->toPlainText(), "");
  EXPECT_TRUE(window->close());
  EXPECT_EQ(readPrefs(), "PortName\nttyGONE\nPort\n1\nFileName\n\nCallsign\n\n");
}

TEST_F(OpenClose, absentRememberedPortIsQuietAndItsNameIsStoredAgain) {
  setThreePorts();
  writePrefs("PortName\nttyUSB9\n");
  openWindow();
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_EQ(beeps, 0);
  EXPECT_EQ(window->SerialPortMenu()->currentIndex(), -1);
  EXPECT_FALSE(window->Serial1()->isOpen());
  EXPECT_TRUE(window->close());
  EXPECT_EQ(readPrefs(), "PortName\nttyUSB9\nPort\n-1\nFileName\n\nCallsign\n\n");
}

TEST_F(OpenClose, storedValuesComeBackUntrimmedAndAreWrittenBackInTheirPlaces) {
  setThreePorts();
  writePrefs("FileName\n log.ADI \nCallsign\n k1abc/p \nPort\n7\n");
  openWindow();
  EXPECT_EQ(window->m_Filename, " log.ADI ");
  EXPECT_EQ(window->CallsignText()->text(), " K1ABC/P ");  // a lower-case call sign shows upper-cased
  EXPECT_EQ(window->m_CallText, " K1ABC/P ");
  EXPECT_TRUE(window->close());
  // "Port" is never read: it is overwritten; the new key goes last.
  EXPECT_EQ(readPrefs(), "FileName\n log.ADI \nCallsign\n K1ABC/P \nPort\n-1\nPortName\n\n");
}

TEST_F(OpenClose, closeWhileStartingUpStoresNothing) {
  setThreePorts();
  openWindow();
  window->m_CallText = "K1ABC";
  window->m_Startup = true;
  EXPECT_TRUE(window->close());
  EXPECT_EQ(readPrefs(), "");
}

TEST_F(OpenClose, portFileNameAndCallsignSurviveThreeRuns) {
  setThreePorts();
  openWindow();
  window->SerialPortMenu()->setCurrentIndex(1);
  Q_EMIT window->SerialPortMenu()->activated(1);
  QTest::keyClicks(window->CallsignText(), "k1abc");
  QTemporaryDir out;
  saveAnswer = QDir(out.path()).filePath("field-day.ADI");
  window->PushButton1_Action();
  ASSERT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();

  for (int run = 2; run <= 3; ++run) {
    SCOPED_TRACE(run);
    restart();
    EXPECT_EQ(window->SerialPortMenu()->currentIndex(), 1);
    EXPECT_TRUE(window->Serial1()->isOpen());
    EXPECT_EQ(window->Serial1()->port(), ptys_[1].portPath());
    EXPECT_EQ(window->StatusField()->toPlainText(), kWaitingLine);
    EXPECT_EQ(window->m_Filename, "field-day.ADI");
    EXPECT_EQ(window->CallsignText()->text(), "K1ABC");
    EXPECT_TRUE(messages.isEmpty());
  }
  closeWindow();
  EXPECT_EQ(readPrefs(), "Port\n1\nPortName\nttyB\nFileName\nfield-day.ADI\nCallsign\nK1ABC\n");
}

// Parsing details are the store's; here the window starts with such a file:
// CR LF line ends, a duplicate key, a NUL key with non-UTF-8 bytes, a 10 MB
// line and an odd last line.
TEST_F(OpenClose, oddPreferencesFileStillStartsWithWhatCanBeReadAndIsWrittenBack) {
  setThreePorts();
  const QByteArray huge(10 << 20, 'f');
  const QByteArray odd = "Callsign\r\nk1abc\r\nCallsign\nsecond\n" + QByteArray("\0\xff\n\x01\xfe\n", 6) +
                         "FileName\n" + huge + "\nPortName";
  writePrefs(odd);
  openWindow();
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
  EXPECT_FALSE(window->m_Startup);
  EXPECT_EQ(window->m_PortName, "");
  EXPECT_EQ(window->m_Filename, QString::fromLatin1(huge));
  EXPECT_EQ(window->CallsignText()->text(), "K1ABC");
  EXPECT_TRUE(window->close());
  EXPECT_EQ(readPrefs(), "Callsign\nK1ABC\nCallsign\nsecond\n" + QByteArray("\0\xff\n\x01\xfe\n", 6) +
                             "FileName\n" + huge + "\nPortName\n\nPort\n-1\n");
}

TEST_F(OpenClose, preferencesFileThatIsAFolderIsReportedAtStartAndAtCloseAndTheProgramGoesOn) {
  setThreePorts();
  ASSERT_TRUE(QDir(configDir()).mkpath("ZVKUtilPrefs/inside"));
  openWindow();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(prefsPath())) << messages[0].toStdString();
  EXPECT_FALSE(window->m_Startup);
  QTest::keyClicks(window->CallsignText(), "k1abc");
  EXPECT_EQ(window->m_CallText, "K1ABC");

  EXPECT_TRUE(window->close());  // the program still quits
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[1].contains(prefsPath())) << messages[1].toStdString();
  EXPECT_TRUE(QFileInfo(prefsPath()).isDir());
  EXPECT_TRUE(QFileInfo::exists(prefsPath() + "/inside"));
}

}  // namespace
