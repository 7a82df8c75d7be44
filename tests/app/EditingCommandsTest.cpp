// Select all, copy, cut, paste and delete on the status area, by keys and by
// its right-click menu, on real widgets and the real clipboard.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <functional>

#include "app/Window1.h"
#include "platform/Dialogs.h"

namespace {

const QByteArray kExport = "ADIF header<EOH><CALL:4>K1AB<FREQ:6>14.074<EOR>";
const QString kStatus = QStringLiteral("Waiting for ADIF data...\nBeginning Export...\n");

struct MenuSeen {
  QStringList texts;  // separators as ""
  QList<bool> enabled;
  int shown = 0;
};

class EditingCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.ADIFData() = kExport;
    area()->setPlainText(kStatus);
    clipboard()->clear();
  }
  void TearDown() override {
    platform::SetDialogHandlersForTesting({});
    EXPECT_EQ(window.ADIFData(), kExport) << "the received export must never change";
  }

  QPlainTextEdit* area() { return window.StatusField(); }
  static QClipboard* clipboard() { return QGuiApplication::clipboard(); }
  QString selected() { return area()->textCursor().selectedText(); }

  // Selects `length` characters from `start`.
  void select(int start, int length) {
    QTextCursor cursor = area()->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    area()->setTextCursor(cursor);
  }

  // Answers the next pop-up with the entry of that text (none: dismissed),
  // after running `duringMenu`, and records what the menu offered.
  void answerMenuWith(const QString& choice, std::function<void()> duringMenu = {}) {
    platform::DialogHandlers handlers;
    handlers.popUp = [this, choice, duringMenu](QMenu& menu) -> QAction* {
      ++seen.shown;
      seen.texts.clear();
      seen.enabled.clear();
      QAction* pick = nullptr;
      for (QAction* item : menu.actions()) {
        seen.texts << (item->isSeparator() ? QString() : item->text());
        seen.enabled << item->isEnabled();
        if (!choice.isEmpty() && item->text() == choice) pick = item;
      }
      if (duringMenu) duringMenu();
      return pick;
    };
    platform::SetDialogHandlersForTesting(handlers);
  }

  void rightClick() { QTest::mouseClick(area()->viewport(), Qt::RightButton, {}, QPoint(5, 5)); }

  // Enabled flags in menu order: Cut, Copy, Paste, Delete, Select All.
  QList<bool> commandFlags() const {
    QList<bool> flags = seen.enabled;
    if (flags.size() == 6) flags.removeAt(4);
    return flags;
  }

  app::Window1 window;
  MenuSeen seen;
};

TEST_F(EditingCommands, contextMenuOffersSixEntriesEnabledAsAtTheClick) {
  const struct {
    const char* what;
    QString text;
    int selection;  // characters selected from the start
    QString clip;
    QList<bool> flags;  // Cut, Copy, Paste, Delete, Select All
  } cases[] = {
      {"empty area", "", 0, "", {false, false, false, false, false}},
      {"empty area, text to paste", "", 0, "K1AB", {false, false, true, false, false}},
      {"text, no selection", kStatus, 0, "", {false, false, false, false, true}},
      {"a selection", kStatus, 7, "x", {true, true, true, true, true}},
  };
  answerMenuWith(QString());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    area()->setPlainText(c.text);
    select(0, c.selection);
    if (c.clip.isEmpty())
      clipboard()->clear();
    else
      clipboard()->setText(c.clip);
    rightClick();
    EXPECT_EQ(seen.texts, QStringList({"Cut", "Copy", "Paste", "Delete", "", "Select All"}));
    EXPECT_EQ(commandFlags(), c.flags);
    EXPECT_EQ(selected(), c.text.left(c.selection)) << "the right click keeps the selection";
  }
  EXPECT_EQ(seen.shown, 4);
}

TEST_F(EditingCommands, plainClickOpensNoMenuAndIsNotClaimed) {
  answerMenuWith(QString());
  QTest::mouseClick(area()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(seen.shown, 0);
  EXPECT_FALSE(window.StatusField_MouseDown(false));
  EXPECT_EQ(seen.shown, 0);
}

TEST_F(EditingCommands, dismissedMenuChangesNothingButTheFocus) {
  window.CallsignText()->setFocus();
  select(8, 3);
  clipboard()->setText(QStringLiteral("kept"));
  answerMenuWith(QString());
  EXPECT_TRUE(window.StatusField_MouseDown(true));
  EXPECT_EQ(area()->toPlainText(), kStatus);
  EXPECT_EQ(selected(), "for");
  EXPECT_EQ(clipboard()->text(), "kept");
  EXPECT_EQ(window.focusWidget(), area());
}

// Each from "Waiting " selected and "before" on the clipboard.
TEST_F(EditingCommands, eachMenuEntryActsOnTheSelectionAndTheClipboard) {
  const struct {
    QString choice, text, clip;
    qsizetype selectedAfter;
  } cases[] = {
      {"Copy", kStatus, "Waiting ", 8},
      {"Cut", kStatus.mid(8), "Waiting ", 0},
      {"Delete", kStatus.mid(8), "before", 0},
      {"Paste", "Still" + kStatus.mid(8), "Still", 0},  // the clipboard as it is when chosen
      {"Select All", kStatus, "before", kStatus.size()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.choice.toStdString());
    area()->setPlainText(kStatus);
    select(0, 8);
    clipboard()->setText(QStringLiteral("before"));
    answerMenuWith(c.choice, [paste = c.choice == "Paste"] {
      if (paste) clipboard()->setText(QStringLiteral("Still"));
    });
    rightClick();
    EXPECT_EQ(area()->toPlainText(), c.text);
    EXPECT_EQ(clipboard()->text(), c.clip);
    EXPECT_EQ(selected().size(), c.selectedAfter);
  }
}

// Also with Shift held; a paste without clipboard text empties the selection.
TEST_F(EditingCommands, ctrlLettersInTheStatusAreaEditIt) {
  area()->setFocus();
  QTest::keyClick(area(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(selected().size(), kStatus.size());
  select(0, 7);
  QTest::keyClick(area(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(clipboard()->text(), "Waiting");
  EXPECT_EQ(area()->toPlainText(), kStatus);
  QTest::keyClick(area(), Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(area()->toPlainText(), kStatus.mid(7));
  clipboard()->setText(QStringLiteral("Pasted"));
  QTest::keyClick(area(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(area()->toPlainText(), QStringLiteral("Pasted") + kStatus.mid(7));
  clipboard()->clear();
  select(0, 6);
  EXPECT_TRUE(window.StatusField_KeyDown(QStringLiteral("V"), true));
  EXPECT_EQ(area()->toPlainText(), kStatus.mid(7));
}

TEST_F(EditingCommands, ctrlWithAnotherLetterIsConsumedAndDoesNothing) {
  area()->setFocus();
  select(0, 7);
  clipboard()->setText(QStringLiteral("kept"));
  EXPECT_TRUE(window.StatusField_KeyDown(QStringLiteral("z"), true));
  EXPECT_TRUE(window.StatusField_KeyDown(QStringLiteral("1"), true));
  QTest::keyClick(area(), Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(area(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(area()->toPlainText(), kStatus);
  EXPECT_EQ(selected(), "Waiting");
  EXPECT_EQ(clipboard()->text(), "kept");
}

TEST_F(EditingCommands, keysWithoutCtrlAreNotConsumed) {
  select(0, 7);
  EXPECT_FALSE(window.StatusField_KeyDown(QStringLiteral("a"), false));
  EXPECT_FALSE(window.StatusField_KeyDown(QStringLiteral("v"), false));
  EXPECT_EQ(selected(), "Waiting");
  // The area's own keyboard selection still works.
  area()->setFocus();
  QTest::keyClick(area(), Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(selected(), "Waiting ");
}

// Ctrl+A, C and X act on the status area from anywhere in the window, here
// with the call-sign field focused; they never consume the key or paste.
TEST_F(EditingCommands, windowKeysActOnTheStatusAreaNeverConsumeAndNeverPaste) {
  QLineEdit* call = window.CallsignText();
  call->setFocus();
  ASSERT_EQ(QGuiApplication::focusObject(), call);
  QTest::keyClicks(call, QStringLiteral("k1ab"));
  EXPECT_EQ(call->text(), "K1AB") << "typing still reaches the field";

  QTest::keyClick(call, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(selected().size(), kStatus.size());
  call->deselect();
  select(0, 7);
  EXPECT_FALSE(window.Event_KeyDown(QStringLiteral("c"), true));
  EXPECT_EQ(clipboard()->text(), "Waiting");
  QTest::keyClick(call, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(area()->toPlainText(), kStatus.mid(7));
  EXPECT_EQ(call->text(), "K1AB") << "the field had nothing selected to cut";

  clipboard()->setText(QStringLiteral("X"));
  QTest::keyClick(call, Qt::Key_V, Qt::ControlModifier);
  select(0, 3);
  EXPECT_FALSE(window.Event_KeyDown(QStringLiteral("v"), true));
  EXPECT_FALSE(window.Event_KeyDown(QStringLiteral("q"), true));
  EXPECT_FALSE(window.Event_KeyDown(QStringLiteral("x"), false));
  EXPECT_EQ(area()->toPlainText(), kStatus.mid(7)) << "no paste, and no cut without Ctrl";
  EXPECT_FALSE(window.Event_KeyDown(QStringLiteral("a"), true));
  EXPECT_FALSE(window.Event_KeyDown(QStringLiteral("x"), true));
  EXPECT_EQ(area()->toPlainText(), "");
}

}  // namespace
