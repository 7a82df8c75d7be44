#include <memory>

#include "app/App.h"
#include "app/Window1.h"

int main(int argc, char** argv) {
  app::App application(argc, argv);
  // The main window lives until the event loop ends, then goes before the application object.
  const std::unique_ptr<app::Window1> window(app::Window1::Instance());
  return application.exec();
}
