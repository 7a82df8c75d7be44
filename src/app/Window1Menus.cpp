// The main window's menu handler: the About item.
#include <QAction>
#include <QMenuBar>

#include "app/AboutWindow.h"
#include "app/Window1.h"

namespace app {

// Binds the About item, found by name in this window's menu bar, to its handler
// for as long as this window lives.
void Window1::AddMenuHandlers() {
  auto* bar = qobject_cast<QMenuBar*>(menuWidget());
  if (!bar) return;
  if (auto* about = bar->findChild<QAction*>(QStringLiteral("AboutMenu")))
    connect(about, &QAction::triggered, this, &Window1::AboutMenu_Action, Qt::UniqueConnection);
}

// Modeless: the main window stays usable and reception goes on.
bool Window1::AboutMenu_Action() {
  AboutWindow* about = AboutWindow::Instance();
  about->show();
  about->raise();
  about->activateWindow();
  return false;
}

}  // namespace app
