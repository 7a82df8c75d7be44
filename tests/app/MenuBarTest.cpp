// The menu bar: its exact tree, the single instance and the standard quit.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QTest>

#include "app/AboutWindow.h"
#include "app/MenuBar1.h"
#include "app/Window1.h"

namespace {

QList<QAction*> itemsOf(QMenu* menu) { return menu ? menu->actions() : QList<QAction*>(); }

class CloseCounter : public QWidget {
 public:
  int closes = 0;

 protected:
  void closeEvent(QCloseEvent* event) override {
    ++closes;
    event->accept();
  }
};

TEST(MenuBar, isBuiltOnceAndRebuiltOnlyAfterItsWindowDeletedIt) {
  app::MenuBar1* bar = app::MenuBar1::Instance();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(app::MenuBar1::Instance(), bar);
  {
    QMainWindow owner;
    owner.setMenuBar(bar);
  }
  QPointer<app::MenuBar1> rebuilt = app::MenuBar1::Instance();
  ASSERT_TRUE(rebuilt);
  EXPECT_EQ(rebuilt->actions().size(), 2);
}

TEST(MenuBar, holdsExactlyFileWithQuitAndHelpWithAbout) {
  app::MenuBar1* bar = app::MenuBar1::Instance();
  const QList<QAction*> menus = bar->actions();
  ASSERT_EQ(menus.size(), 2);
  QMenu* file = menus[0]->menu();
  QMenu* help = menus[1]->menu();
  ASSERT_NE(file, nullptr);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(file->title(), "&File");
  EXPECT_EQ(file->objectName(), "FileMenu");
  EXPECT_EQ(help->title(), "Help");
  EXPECT_EQ(help->objectName(), "HelpMenu");

  const QList<QAction*> fileItems = itemsOf(file);
  ASSERT_EQ(fileItems.size(), 1);
  QAction* quit = fileItems[0];
  EXPECT_EQ(quit->objectName(), "FileQuit");
  EXPECT_EQ(quit->text(), "&Quit");
  EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  EXPECT_FALSE(quit->isSeparator());

  const QList<QAction*> helpItems = itemsOf(help);
  ASSERT_EQ(helpItems.size(), 1);
  QAction* about = helpItems[0];
  EXPECT_EQ(about->objectName(), "AboutMenu");
  EXPECT_EQ(about->text(), "About ADIF Utility");
  EXPECT_TRUE(about->shortcut().isEmpty());
  EXPECT_FALSE(about->isSeparator());

  for (QAction* item : {menus[0], menus[1], quit, about}) {
    EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(item->isVisible());
  }
}

TEST(MenuBar, itemsAreFoundByName) {
  app::MenuBar1* bar = app::MenuBar1::Instance();
  EXPECT_NE(bar->findChild<QMenu*>(QStringLiteral("FileMenu")), nullptr);
  EXPECT_NE(bar->findChild<QMenu*>(QStringLiteral("HelpMenu")), nullptr);
  EXPECT_NE(bar->findChild<QAction*>(QStringLiteral("FileQuit")), nullptr);
  EXPECT_NE(bar->findChild<QAction*>(QStringLiteral("AboutMenu")), nullptr);
}

TEST(MenuBar, quitClosesEveryWindowWithoutAsking) {
  QMainWindow main;
  main.setMenuBar(app::MenuBar1::Instance());
  CloseCounter other;
  main.show();
  other.show();
  app::MenuBar1::Instance()->findChild<QAction*>(QStringLiteral("FileQuit"))->trigger();
  EXPECT_FALSE(main.isVisible());
  EXPECT_FALSE(other.isVisible());
  EXPECT_EQ(other.closes, 1);
}

TEST(MenuBar, ctrlQChoosesQuit) {
  QMainWindow main;
  main.setMenuBar(app::MenuBar1::Instance());
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  QTest::keyClick(&main, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(main.isVisible());
}

int aboutWindowCount() {
  int count = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<app::AboutWindow*>(w) && w->isVisible()) ++count;
  return count;
}

void closeAboutWindows() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<app::AboutWindow*>(w)) w->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(MenuBar, mainWindowTakesTheOneMenuBar) {
  app::Window1 w;
  EXPECT_EQ(w.menuWidget(), app::MenuBar1::Instance());
}

TEST(MenuBar, aboutItemShowsOneAboutWindowAndTheCommandReturnsFalse) {
  closeAboutWindows();
  app::Window1 w;
  QAction* about = w.menuWidget()->findChild<QAction*>(QStringLiteral("AboutMenu"));
  ASSERT_NE(about, nullptr);
  about->trigger();
  EXPECT_EQ(aboutWindowCount(), 1);
  QPointer<app::AboutWindow> shown = app::AboutWindow::Instance();
  EXPECT_TRUE(shown->isVisible());
  about->trigger();
  EXPECT_FALSE(w.AboutMenu_Action());
  EXPECT_EQ(aboutWindowCount(), 1);
  EXPECT_EQ(app::AboutWindow::Instance(), shown.data());

  shown->close();
  EXPECT_EQ(aboutWindowCount(), 0);
  EXPECT_FALSE(w.AboutMenu_Action());
  EXPECT_EQ(aboutWindowCount(), 1);
  EXPECT_NE(app::AboutWindow::Instance(), shown.data());
  closeAboutWindows();
}

TEST(MenuBar, aboutItemIsBoundOnlyWhileTheMainWindowLives) {
  closeAboutWindows();
  { app::Window1 w; }
  QMainWindow bare;
  bare.setMenuBar(app::MenuBar1::Instance());
  bare.menuWidget()->findChild<QAction*>(QStringLiteral("AboutMenu"))->trigger();
  EXPECT_EQ(aboutWindowCount(), 0);
}

}  // namespace
