// Ctrl+V on the status area puts in the selection's place whatever the clipboard yields, also nothing.
#include <QtTest>
#include <QtWidgets>

#include "app/Window1.h"
#include "support/QtPrinters.h"

TEST(StatusPaste, ctrlVWithNoTextOnTheClipboardRemovesTheSelection) {
  app::Window1 window;
  QPlainTextEdit* area = window.StatusField();
  area->setPlainText("Waiting for ADIF data...");
  QTextCursor cursor = area->textCursor();
  cursor.setPosition(8, QTextCursor::KeepAnchor);
  area->setTextCursor(cursor);
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(area, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(area->toPlainText(), "for ADIF data...");
}
