// Editing commands on the status area: select all, copy, cut, paste, delete.
// They change only the shown text, its selection and the clipboard; the
// received export (ADIFData) is never touched here.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include "app/Window1.h"
#include "platform/Dialogs.h"

namespace app {
namespace {

// Letters compare ignoring case, so the same keys with Shift held act too.
bool isKey(const QString& key, char16_t letter) {
  return key.size() == 1 && key.front().toLower() == QChar(letter);
}

// SelText = text: the selection (or nothing, at the cursor) becomes `text`.
// The area is read-only for typing, not for the program.
void replaceSelection(QPlainTextEdit* area, const QString& text) {
  QTextCursor cursor = area->textCursor();
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  if (!text.isEmpty()) cursor.insertText(text);
  cursor.endEditBlock();
  area->setTextCursor(cursor);
}

bool hasSelection(const QPlainTextEdit* area) { return area->textCursor().hasSelection(); }

bool clipboardHasText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasText();
}

QString clipboardText() { return QGuiApplication::clipboard()->text(); }

// Select All, as Qt's own text widgets do it: where the platform has a
// selection clipboard (X11), the text also becomes the primary selection.
void selectAll(QPlainTextEdit* area) {
  area->selectAll();
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QTextCursor cursor = area->textCursor();
  if (cursor.hasSelection() && clipboard->supportsSelection())
    clipboard->setText(cursor.selection().toPlainText(), QClipboard::Selection);
}

void cut(QPlainTextEdit* area) {
  area->copy();
  replaceSelection(area, QString());
}

// Ctrl with a, c, x (and v where pasting is allowed) on the status area.
void keyCommand(QPlainTextEdit* area, const QString& key, bool withPaste) {
  if (isKey(key, u'a'))
    selectAll(area);
  else if (isKey(key, u'c'))
    area->copy();
  else if (isKey(key, u'x'))
    cut(area);
  else if (withPaste && isKey(key, u'v'))
    replaceSelection(area, clipboardText());
}

}  // namespace

// Ctrl with a letter while the status area has the focus; every Ctrl key is
// consumed, acted on or not.
bool Window1::StatusField_KeyDown(const QString& key, bool commandKey) {
  if (!commandKey) return false;
  keyCommand(statusField_, key, /*withPaste=*/true);
  return true;
}

// The right-click menu. Its enabled flags describe the moment of the click.
bool Window1::StatusField_MouseDown(bool contextualClick) {
  if (!contextualClick) return false;
  QMenu menu(this);
  statusField_->setFocus(Qt::MouseFocusReason);

  auto* copy = new QAction(QStringLiteral("Copy"), &menu);
  auto* cutItem = new QAction(QStringLiteral("Cut"), &menu);
  auto* erase = new QAction(QStringLiteral("Delete"), &menu);
  auto* paste = new QAction(QStringLiteral("Paste"), &menu);
  auto* selectAllItem = new QAction(QStringLiteral("Select All"), &menu);

  paste->setEnabled(clipboardHasText());
  selectAllItem->setEnabled(!statusField_->document()->isEmpty());
  const bool selected = hasSelection(statusField_);
  copy->setEnabled(selected);
  cutItem->setEnabled(selected);
  erase->setEnabled(selected);

  menu.addAction(cutItem);
  menu.addAction(copy);
  menu.addAction(paste);
  menu.addAction(erase);
  menu.addSeparator();
  menu.addAction(selectAllItem);

  QAction* chosen = platform::PopUp(menu);
  if (chosen == copy)
    statusField_->copy();
  else if (chosen == cutItem)
    cut(statusField_);
  else if (chosen == erase)
    replaceSelection(statusField_, QString());
  else if (chosen == paste)
    replaceSelection(statusField_, clipboardText());  // read now, not at the click
  else if (chosen == selectAllItem)
    selectAll(statusField_);
  return true;
}

// The window's own keys: Ctrl with a, c or x acts on the status area whichever
// control has the focus. There is no paste here, and no key is ever consumed.
bool Window1::Event_KeyDown(const QString& key, bool menuShortcutKey) {
  if (!menuShortcutKey) return false;
  keyCommand(statusField_, key, /*withPaste=*/false);
  return false;
}

}  // namespace app
