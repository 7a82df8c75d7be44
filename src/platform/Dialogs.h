#pragma once
// Modal dialogs, the beep and pop-up menus go through here so that tests can
// answer them instead of a user.

#include <QPoint>
#include <QString>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace platform {

// A modal message box with the text; returns when dismissed.
void MsgBox(const QString& text);
// The system beep.
void Beep();
// The modal save dialog offering `suggestedName`; the chosen path, or none
// when the user cancels.
std::optional<QString> GetSaveFile(const QString& suggestedName);
// Shows `menu` at the mouse cursor; the chosen action, or nullptr.
QAction* PopUp(QMenu& menu);

// Test seams: while a handler is set it is called instead of the real dialog.
struct DialogHandlers {
  std::function<void(const QString&)> msgBox;
  std::function<void()> beep;
  std::function<std::optional<QString>(const QString&)> saveFile;
  std::function<QAction*(QMenu&)> popUp;
};
void SetDialogHandlersForTesting(DialogHandlers handlers);

}  // namespace platform
