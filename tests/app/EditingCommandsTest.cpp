// Select all, copy, cut, paste and delete on the status area, by keys and its right-click menu, on real widgets.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

#include "app/Window1.h"
#include "platform/Dialogs.h"
#include "support/QtPrinters.h"
#include "support/UnexpectedDialogs.h"

namespace {

const QByteArray kExport = "ADIF header<EOH><CALL:4>K1AB<FREQ:6>14.074<EOR>";
const QString kStatus = QStringLiteral("Waiting for ADIF data...\nBeginning Export...\n");

class EditingCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.ADIFData() = kExport;
  }
  void TearDown() override {
    platform::SetDialogHandlersForTesting(testsupport::UnexpectedDialogs());
    EXPECT_EQ(window.ADIFData(), kExport) << "the received export must never change";
  }

  QPlainTextEdit* area() { return window.StatusField(); }
  static QClipboard* clipboard() { return QApplication::clipboard(); }
  QString selected() { return area()->textCursor().selectedText(); }

  // The area holds `text` with its first `selection` characters selected; the clipboard `clip`.
  void reset(const QString& text, int selection, const QString& clip) {
    area()->setPlainText(text);
    QTextCursor cursor = area()->textCursor();
    cursor.setPosition(selection, QTextCursor::KeepAnchor);
    area()->setTextCursor(cursor);
    clip.isEmpty() ? clipboard()->clear() : clipboard()->setText(clip);
  }

  // Clicks the area; a menu's entries are noted ("Text+" when enabled), then "Still" is
  // put on the clipboard and the entry `choice` chosen.
  void click(Qt::MouseButton button, const QString& choice = {}) {
    platform::DialogHandlers handlers = testsupport::UnexpectedDialogs();
    handlers.popUp = [this, choice](QMenu& menu) -> QAction* {
      QAction* pick = nullptr;
      for (QAction* item : menu.actions()) {
        menuSeen << (item->isSeparator() ? QStringLiteral("-") : item->text() + (item->isEnabled() ? "+" : ""));
        if (item->text() == choice) pick = item;
      }
      clipboard()->setText(QStringLiteral("Still"));  // a paste reads the clipboard when chosen
      return pick;
    };
    platform::SetDialogHandlersForTesting(handlers);
    menuSeen.clear();
    QTest::mouseClick(area()->viewport(), button, {}, QPoint(5, 5));
  }

  app::Window1 window;
  QStringList menuSeen;
};

TEST_F(EditingCommands, rightClickMenuIsEnabledAsAtTheClickAndEachEntryActsOnTheSelection) {
  const QStringList all{"Cut+", "Copy+", "Paste+", "Delete+", "-", "Select All+"};
  const struct {
    QString text;
    int selection;
    QString clip, choice;
    QStringList seen;
    QString textAfter, clipAfter;
    qsizetype selectedAfter;
  } cases[] = {
      {"", 0, "K1AB", "", {"Cut", "Copy", "Paste+", "Delete", "-", "Select All"}, "", "Still", 0},
      {kStatus, 0, "", "", {"Cut", "Copy", "Paste", "Delete", "-", "Select All+"}, kStatus, "Still", 0},
      {kStatus, 7, "x", "", all, kStatus, "Still", 7},
      {kStatus, 7, "x", "Copy", all, kStatus, "Waiting", 7},
      {kStatus, 7, "x", "Cut", all, kStatus.mid(7), "Waiting", 0},
      {kStatus, 7, "x", "Delete", all, kStatus.mid(7), "Still", 0},
      {kStatus, 7, "x", "Paste", all, "Still" + kStatus.mid(7), "Still", 0},
      {kStatus, 7, "x", "Select All", all, kStatus, "Still", kStatus.size()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE((c.seen.join(' ') + " " + c.choice).toStdString());
    window.CallsignText()->setFocus();
    reset(c.text, c.selection, c.clip);
    click(Qt::RightButton, c.choice);
    EXPECT_EQ(menuSeen, c.seen);
    EXPECT_EQ(area()->toPlainText(), c.textAfter);
    EXPECT_EQ(clipboard()->text(), c.clipAfter);
    EXPECT_EQ(selected().size(), c.selectedAfter);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "StatusField");
  }
  EXPECT_TRUE(window.StatusField_MouseDown(true)) << "claimed, with or without a choice";
  click(Qt::LeftButton);
  EXPECT_TRUE(menuSeen.isEmpty()) << "a plain click opens no menu";
  EXPECT_FALSE(window.StatusField_MouseDown(false));
}

// Real keys reach their handler once, from any control. The selection is drawn only with
// the focus, yet kept; Select All also sets the primary selection where there is one (X11).
TEST_F(EditingCommands, keysReachTheirHandlersOnceFromAnyControlAndTheSelectionShowsOnlyWithTheFocus) {
  reset(kStatus, 7, {});
  area()->setFocus();
  QTest::keyClick(area(), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(area(), Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(selected(), "Waiting ") << "Ctrl+End consumed; Shift+Right left to the area";
  QSignalSpy clipboardChanges(clipboard(), &QClipboard::dataChanged);
  window.Trace()->setFocus();
  QTest::keyClick(window.Trace(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard()->text(), "Waiting ");
  EXPECT_EQ(clipboardChanges.count(), 1);

  QLineEdit* call = window.CallsignText();
  call->setFocus();
  QTest::keyClicks(call, QStringLiteral("k1abxc"));
  EXPECT_EQ(call->text() + " " + selected(), "K1ABXC Waiting ") << "no command without Ctrl";
  reset(kStatus, 0, {});
  const QImage plain = area()->viewport()->grab().toImage();
  QTest::keyClick(call, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(area()->viewport()->grab().toImage() == plain) << "no selection drawn without the focus";
  call->deselect();
  QTest::keyClick(call, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard()->text(), kStatus);
  area()->setFocus();
  const QImage focused = area()->viewport()->grab().toImage();
  const QRgb highlight = area()->palette().color(QPalette::Active, QPalette::Highlight).rgb();
  bool drawn = false;
  for (int x = 0; x < focused.width(); ++x) drawn = drawn || focused.pixel(x, 10) == highlight;
  EXPECT_TRUE(drawn) << "drawn again with the focus";
  QTest::keyClick(call, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(area()->toPlainText(), "");
  QTest::keyClick(call, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(area()->toPlainText(), "") << "only the area's own Ctrl+V pastes into it";
  QTest::keyClick(area(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(area()->toPlainText(), kStatus);
  if (!clipboard()->supportsSelection()) return;
  for (const QString& entry : {QString(), QStringLiteral("Select All")}) {
    reset(kStatus, 0, {});
    clipboard()->clear(QClipboard::Selection);
    entry.isEmpty() ? QTest::keyClick(area(), Qt::Key_A, Qt::ControlModifier) : click(Qt::RightButton, entry);
    EXPECT_EQ(clipboard()->text(QClipboard::Selection), kStatus) << entry.toStdString();
  }
}

// Ctrl+V puts in the selection's place whatever the clipboard yields, also nothing.
TEST_F(EditingCommands, ctrlVWithNoTextOnTheClipboardRemovesTheSelection) {
  reset(kStatus, 8, {});
  area()->setFocus();
  QTest::keyClick(area(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(area()->toPlainText(), "for ADIF data...\nBeginning Export...\n");
}

}  // namespace
