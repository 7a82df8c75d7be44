// Every test program runs headless inside the program's own application object.
#include <gtest/gtest.h>

#include "app/App.h"
#include "support/UnexpectedDialogs.h"

namespace {

// Each test starts with dialogs that fail it, whatever the test before left set.
class DialogsFailUnlessAnswered : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    platform::SetDialogHandlersForTesting(testsupport::UnexpectedDialogs());
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new DialogsFailUnlessAnswered);
  app::App application(argc, argv);
  return RUN_ALL_TESTS();
}
