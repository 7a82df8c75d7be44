#include "platform/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

namespace platform {
namespace {

DialogHandlers& handlers() {
  static DialogHandlers instance;
  return instance;
}

}  // namespace

void SetDialogHandlersForTesting(DialogHandlers h) { handlers() = std::move(h); }

void MsgBox(const QString& text) {
  if (handlers().msgBox) return handlers().msgBox(text);
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

void Beep() {
  if (handlers().beep) return handlers().beep();
  QApplication::beep();
}

std::optional<QString> GetSaveFile(const QString& suggestedName) {
  if (handlers().saveFile) return handlers().saveFile(suggestedName);
  // A bare name opens in the home folder rather than wherever the program was started.
  const QString start = QDir::isAbsolutePath(suggestedName) ? suggestedName
                                                             : QDir::home().filePath(suggestedName);
  const QString chosen = QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(), start);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen;
}

QAction* PopUp(QMenu& menu) {
  if (handlers().popUp) return handlers().popUp(menu);
  return menu.exec(QCursor::pos());
}

}  // namespace platform
