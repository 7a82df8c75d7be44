#include "app/App.h"

#include <exception>

#include "platform/Dialogs.h"

namespace app {

App::App(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Kestrune ADIF Utility"));
  setApplicationVersion(ShortVersion());
}

App* App::Instance() { return qobject_cast<App*>(QCoreApplication::instance()); }

void App::SetAutoQuit(bool on) { setQuitOnLastWindowClosed(on); }

QString App::ShortVersion() { return QStringLiteral(ADIF_SHORT_VERSION); }

void App::DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

bool App::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    platform::MsgBox(QStringLiteral("An unexpected error occurred: %1").arg(QString::fromLocal8Bit(e.what())));
  } catch (...) {
    platform::MsgBox(QStringLiteral("An unexpected error occurred."));
  }
  return false;
}

}  // namespace app
