#include "support/AppFixture.h"

#include <QCoreApplication>
#include <QDir>

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "prefs/QELTEasyPrefs.h"

namespace testsupport {

void AppFixture::SetUp() {
  ASSERT_TRUE(config_.isValid());
  oldXdg_ = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
  QELTEasyPrefs::ResetForTesting();
  platform::SetPortSourceForTesting([this] { return ports_; });
  platform::DialogHandlers handlers;
  handlers.msgBox = [this](const QString& text) { messages << text; };
  handlers.beep = [this] { ++beeps; };
  handlers.saveFile = [this](const QString& name) {
    offeredNames << name;
    return saveAnswer;
  };
  handlers.popUp = [](QMenu&) { return nullptr; };
  platform::SetDialogHandlersForTesting(handlers);
}

void AppFixture::TearDown() {
  if (window) closeWindow();
  platform::SetDialogHandlersForTesting({});
  platform::SetPortSourceForTesting({});
  platform::SetClockForTesting({});
  QELTEasyPrefs::ResetForTesting();
  if (oldXdg_.isNull())
    qunsetenv("XDG_CONFIG_HOME");
  else
    qputenv("XDG_CONFIG_HOME", oldXdg_);
}

void AppFixture::setPorts(QList<platform::SerialPortEntry> ports) { ports_ = std::move(ports); }

app::Window1& AppFixture::openWindow() {
  window = std::make_unique<app::Window1>();
  window->Event_Open();
  window->show();
  QCoreApplication::processEvents();
  return *window;
}

void AppFixture::closeWindow() {
  window->close();
  window.reset();
  QCoreApplication::processEvents();
}

QString AppFixture::prefsPath() const { return QDir(config_.path()).filePath("ZVKUtilPrefs"); }

}  // namespace testsupport
