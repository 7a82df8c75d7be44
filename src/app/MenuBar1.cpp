#include "app/MenuBar1.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>

namespace app {
namespace {

QPointer<MenuBar1>& instanceSlot() {
  static QPointer<MenuBar1> slot;
  return slot;
}

// The standard quit: every window closes (the main window stores the
// preferences as it closes), then the event loop ends. Nothing asks first.
void quitApplication() {
  QApplication::closeAllWindows();
  QCoreApplication::quit();
}

}  // namespace

MenuBar1* MenuBar1::Instance() {
  QPointer<MenuBar1>& slot = instanceSlot();
  if (!slot) slot = new MenuBar1();
  return slot;
}

MenuBar1::MenuBar1() {
  setObjectName(QStringLiteral("MenuBar1"));
  Untitled0();
  Untitled1();
}

void MenuBar1::Untitled0() {
  auto* fileMenu = new QMenu(this);
  fileMenu->setObjectName(QStringLiteral("FileMenu"));
  fileMenu->setTitle(QStringLiteral("&File"));
  addMenu(fileMenu);

  auto* quit = new QAction(this);
  quit->setObjectName(QStringLiteral("FileQuit"));
  quit->setText(QStringLiteral("&Quit"));
  quit->setMenuRole(QAction::QuitRole);
  // Ctrl+Q (Cmd+Q on a Mac) whatever the desktop's key scheme offers for Quit.
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  // Quit is always available, whichever of the program's windows is active.
  quit->setShortcutContext(Qt::ApplicationShortcut);
  connect(quit, &QAction::triggered, this, &quitApplication);
  findChild<QMenu*>(QStringLiteral("FileMenu"), Qt::FindDirectChildrenOnly)->addAction(quit);
}

void MenuBar1::Untitled1() {
  auto* helpMenu = new QMenu(this);
  helpMenu->setObjectName(QStringLiteral("HelpMenu"));
  helpMenu->setTitle(QStringLiteral("Help"));
  addMenu(helpMenu);

  // Its handler is the main window's, bound by name when that window is built.
  auto* about = new QAction(this);
  about->setObjectName(QStringLiteral("AboutMenu"));
  about->setText(QStringLiteral("About ADIF Utility"));
  about->setMenuRole(QAction::AboutRole);
  findChild<QMenu*>(QStringLiteral("HelpMenu"), Qt::FindDirectChildrenOnly)->addAction(about);
}

}  // namespace app
