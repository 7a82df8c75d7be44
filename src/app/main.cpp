#include "app/App.h"
#include "app/Window1.h"

int main(int argc, char** argv) {
  app::App application(argc, argv);
  app::Window1::Instance();
  return application.exec();
}
