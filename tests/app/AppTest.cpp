// The application object: an exception that leaves a handler is shown, and the program goes on.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "app/App.h"
#include "platform/Dialogs.h"
#include "support/QtPrinters.h"

namespace {

class Thrower : public QObject {
 public:
  int handled = 0;
  bool event(QEvent* e) override {
    if (e->type() != QEvent::User) return QObject::event(e);
    ++handled;
    throw std::runtime_error("disk on fire");
  }
};

TEST(App, exceptionLeavingAHandlerIsShownAndTheProgramGoesOn) {
  QStringList shown;
  platform::DialogHandlers handlers;
  handlers.msgBox = [&shown](const QString& text) { shown << text; };
  platform::SetDialogHandlersForTesting(handlers);

  Thrower thrower;
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  EXPECT_EQ(thrower.handled, 2);  // the second event still ran
  EXPECT_EQ(shown, QStringList({"An unexpected error occurred: disk on fire",
                                "An unexpected error occurred: disk on fire"}));

  // A button whose handler throws: the click is reported, the button still works.
  QPushButton button;
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&clicks] {
    if (++clicks == 1) throw std::runtime_error("first click");
  });
  QTest::mouseClick(&button, Qt::LeftButton);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(shown.last(), "An unexpected error occurred: first click");
  platform::SetDialogHandlersForTesting({});
}

TEST(App, isTheApplicationObjectWithTheProjectVersion) {
  ASSERT_NE(app::App::Instance(), nullptr);
  EXPECT_EQ(app::App::ShortVersion(), "1.0.0");
}

}  // namespace
