// The call-sign field of the real window: typed, pasted and set from code.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "platform/SerialControl.h"
#include "prefs/QELTEasyPrefs.h"
#include "support/AppFixture.h"
#include "support/PtyPair.h"

namespace {

using testsupport::waitFor;

class CallsignField : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    setPorts({});
    openWindow();
    field = window->CallsignText();
    field->setFocus();
  }
  QByteArray readPrefs() const {
    QFile f(prefsPath());
    if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
    return f.readAll();
  }
  QLineEdit* field = nullptr;
};

TEST_F(CallsignField, typedLettersShowUpperCasedAndOtherCharactersUnchanged) {
  QTest::keyClicks(field, "dl/k1abc-9 #");
  EXPECT_EQ(field->text(), "DL/K1ABC-9 #");
  EXPECT_EQ(window->m_CallText, "DL/K1ABC-9 #");
}

TEST_F(CallsignField, typingInTheMiddlePutsTheInsertionPointAtTheEnd) {
  QTest::keyClicks(field, "k1abc");
  field->setCursorPosition(2);
  QTest::keyClick(field, Qt::Key_X);
  EXPECT_EQ(field->text(), "K1XABC");
  EXPECT_EQ(field->cursorPosition(), 6);
  QTest::keyClick(field, Qt::Key_Y);  // and the next key goes at the end
  EXPECT_EQ(field->text(), "K1XABCY");
  EXPECT_EQ(window->m_CallText, "K1XABCY");
}

TEST_F(CallsignField, aCharacterWithoutCaseTypedInTheMiddleAlsoMovesTheInsertionPointToTheEnd) {
  QTest::keyClicks(field, "k1abc");
  field->setCursorPosition(1);
  QTest::keyClick(field, Qt::Key_Slash);
  EXPECT_EQ(field->text(), "K/1ABC");
  EXPECT_EQ(field->cursorPosition(), 6);
}

TEST_F(CallsignField, pastingInTheMiddleUpperCasesAndPutsTheInsertionPointAtTheEnd) {
  QTest::keyClicks(field, "k1abc");
  QApplication::clipboard()->setText("/p ");
  field->setCursorPosition(2);
  QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(field->text(), "K1/P ABC");
  EXPECT_EQ(field->cursorPosition(), 8);
  EXPECT_EQ(window->m_CallText, "K1/P ABC");

  QApplication::clipboard()->setText("/9");  // nothing to upper-case
  field->setCursorPosition(0);
  QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(field->text(), "/9K1/P ABC");
  EXPECT_EQ(field->cursorPosition(), 10);
}

TEST_F(CallsignField, blanksAreKeptInTheFieldAndStoredAndComeBack) {
  QTest::keyClicks(field, "  k1abc ");
  EXPECT_EQ(window->m_CallText, "  K1ABC ");
  closeWindow();
  EXPECT_EQ(readPrefs(), "Port\n-1\nPortName\n\nFileName\n\nCallsign\n  K1ABC \n");
  QELTEasyPrefs::ResetForTesting();
  openWindow();
  EXPECT_EQ(window->CallsignText()->text(), "  K1ABC ");
}

TEST_F(CallsignField, anEmptiedFieldStoresTheEmptyText) {
  QTest::keyClicks(field, "k1abc");
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Backspace);
  EXPECT_EQ(field->text(), "");
  EXPECT_EQ(window->m_CallText, "");
  closeWindow();
  EXPECT_EQ(readPrefs(), "Port\n-1\nPortName\n\nFileName\n\nCallsign\n\n");
}

TEST_F(CallsignField, textSetFromCodeIsUpperCasedWithoutEndlessChanges) {
  QSignalSpy changes(field, &QLineEdit::textChanged);
  field->setText("k1abc");
  EXPECT_EQ(field->text(), "K1ABC");
  EXPECT_EQ(window->m_CallText, "K1ABC");
  EXPECT_EQ(changes.size(), 2);  // the assignment, then the upper-casing
  field->setText("K1ABC");       // already upper case: no change at all
  EXPECT_EQ(changes.size(), 2);
}

TEST_F(CallsignField, lettersBeyondAsciiAreUpperCasedAndFieldAndStateAgree) {
  field->setText(QString::fromUtf8("öz/straße"));
  EXPECT_EQ(field->text(), QString::fromUtf8("ÖZ/STRASSE"));
  EXPECT_EQ(window->m_CallText, field->text());
}

TEST_F(CallsignField, aChangeBeforeTheEndMarkerAppliesToTheExportArriving) {
  testsupport::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  setPorts({{"ttyA", pty.portPath()}});
  closeWindow();
  QELTEasyPrefs::ResetForTesting();
  openWindow();
  field = window->CallsignText();
  window->SerialPortMenu()->setCurrentIndex(0);
  Q_EMIT window->SerialPortMenu()->activated(0);
  ASSERT_TRUE(window->Serial1()->isOpen()) << messages.join('|').toStdString();
  QTest::keyClicks(field, "old");

  ASSERT_TRUE(pty.write("{40}<CALL:4>W1AW"));
  ASSERT_TRUE(waitFor([&] { return window->DownloadStart(); }));
  field->selectAll();
  QTest::keyClicks(field, "n0call");
  ASSERT_TRUE(pty.write("<EOR>]"));
  ASSERT_TRUE(waitFor([&] { return !window->DownloadStart(); }));
  EXPECT_TRUE(window->ADIFData().contains("<STATION_CALLSIGN:6>N0CALL<EOR>")) << window->ADIFData().toStdString();

  // A finished export keeps the call sign it got.
  QTest::keyClicks(field, "x");
  EXPECT_TRUE(window->ADIFData().contains("<STATION_CALLSIGN:6>N0CALL<EOR>"));
}

}  // namespace
