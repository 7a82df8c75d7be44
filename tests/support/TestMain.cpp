// Every test program runs headless inside the program's own application object.
#include <gtest/gtest.h>

#include "app/App.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  app::App application(argc, argv);
  return RUN_ALL_TESTS();
}
