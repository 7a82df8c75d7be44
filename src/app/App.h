#pragma once
// The one application object. Its only behaviour beyond QApplication: an
// exception that leaves an event handler becomes a modal message naming the
// error, and the program keeps running (and keeps what it received).

#include <QApplication>
#include <QString>

namespace app {

class App : public QApplication {
  Q_OBJECT
 public:
  App(int& argc, char** argv);

  // The application object (it must be an App).
  static App* Instance();

  // Application.AutoQuit: closing the last window ends the application.
  void SetAutoQuit(bool on);
  // Application.ShortVersion: the project's version.
  static QString ShortVersion();
  // Application.DoEvents(-1): pending events handled once.
  static void DoEvents();

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace app
