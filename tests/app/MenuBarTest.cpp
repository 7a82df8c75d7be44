// The menu bar: its exact tree, the single instance and the standard quit.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QTest>

#include "app/AboutWindow.h"
#include "app/MenuBar1.h"
#include "app/Window1.h"

namespace {

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
  const QList<QAction*> menus = app::MenuBar1::Instance()->actions();
  ASSERT_EQ(menus.size(), 2);
  const struct {
    const char *menuName, *title, *itemName, *text;
    QKeySequence shortcut;
  } expected[] = {
      {"FileMenu", "&File", "FileQuit", "&Quit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {"HelpMenu", "Help", "AboutMenu", "About ADIF Utility", QKeySequence()},
  };
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(expected[i].title);
    QMenu* menu = menus[i]->menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), expected[i].menuName);
    EXPECT_EQ(menu->title(), expected[i].title);
    ASSERT_EQ(menu->actions().size(), 1);
    QAction* item = menu->actions()[0];
    EXPECT_EQ(item->objectName(), expected[i].itemName);
    EXPECT_EQ(item->text(), expected[i].text);
    EXPECT_EQ(item->shortcut(), expected[i].shortcut);
    for (QAction* action : {menus[i], item}) {
      EXPECT_FALSE(action->isSeparator());
      EXPECT_TRUE(action->isEnabled());
      EXPECT_TRUE(action->isVisible());
    }
  }
}

// Ctrl+Q is set by hand: the platform's standard quit key can be empty.
TEST(MenuBar, ctrlQChoosesQuitWhichClosesEveryWindowWithoutAsking) {
  QMainWindow main;
  main.setMenuBar(app::MenuBar1::Instance());
  CloseCounter other;
  other.show();
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  QTest::keyClick(&main, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(main.isVisible());
  EXPECT_FALSE(other.isVisible());
  EXPECT_EQ(other.closes, 1);
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

TEST(MenuBar, aboutItemShowsTheOneAboutWindowAndTheCommandReturnsFalse) {
  closeAboutWindows();
  app::Window1 w;
  ASSERT_EQ(w.menuWidget(), app::MenuBar1::Instance());
  QAction* about = w.menuWidget()->findChild<QAction*>(QStringLiteral("AboutMenu"));
  ASSERT_NE(about, nullptr);
  about->trigger();
  EXPECT_EQ(aboutWindowCount(), 1);
  QPointer<app::AboutWindow> shown = app::AboutWindow::Instance();
  EXPECT_TRUE(shown->isVisible());
  shown->VersionLabel()->setText(QStringLiteral("marker"));
  about->trigger();
  EXPECT_EQ(shown->VersionLabel()->text(), "marker");  // not opened again
  EXPECT_FALSE(w.AboutMenu_Action());
  EXPECT_EQ(aboutWindowCount(), 1);
  EXPECT_EQ(app::AboutWindow::Instance(), shown.data());
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
