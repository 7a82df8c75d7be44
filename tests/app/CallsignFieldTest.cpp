// The call-sign field of the real window: typed, pasted and set from code.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <utility>

#include "prefs/QELTEasyPrefs.h"
#include "support/AppFixture.h"

namespace {

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

// Also for a character without case, which changes nothing when upper-cased.
TEST_F(CallsignField, typingInTheMiddlePutsTheInsertionPointAtTheEnd) {
  for (const auto& [key, text] : {std::pair{Qt::Key_X, "K1XABC"}, std::pair{Qt::Key_Slash, "K1/ABC"}}) {
    SCOPED_TRACE(text);
    field->setText("k1abc");
    field->setCursorPosition(2);
    QTest::keyClick(field, key);
    EXPECT_EQ(field->text(), text);
    EXPECT_EQ(field->cursorPosition(), 6);
    QTest::keyClick(field, Qt::Key_Y);  // and the next key goes at the end
    EXPECT_EQ(window->m_CallText, text + QStringLiteral("Y"));
  }
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

TEST_F(CallsignField, blanksAndTheEmptyTextAreStoredAsTypedAndComeBack) {
  QTest::keyClicks(field, "  k1abc ");
  EXPECT_EQ(window->m_CallText, "  K1ABC ");
  closeWindow();
  EXPECT_EQ(readPrefs(), "Port\n-1\nPortName\n\nFileName\n\nCallsign\n  K1ABC \n");
  QELTEasyPrefs::ResetForTesting();
  openWindow();
  field = window->CallsignText();
  EXPECT_EQ(field->text(), "  K1ABC ");

  field->selectAll();
  QTest::keyClick(field, Qt::Key_Backspace);
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

}  // namespace
