#pragma once
// A fresh, isolated setting for a test of the real main window: its own XDG
// config folder, its own serial ports, and dialogs answered by the test.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "app/Window1.h"
#include "platform/PortList.h"
#include "support/QtPrinters.h"

namespace testsupport {

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The ports the program will see, in order.
  void setPorts(QList<platform::SerialPortEntry> ports);
  // Builds, opens and shows a main window, as start-up does.
  app::Window1& openWindow();
  // Closes it as the user does (runs the close handlers) and destroys it.
  void closeWindow();

  QString configDir() const { return config_.path(); }
  QString prefsPath() const;

  std::unique_ptr<app::Window1> window;
  QStringList messages;  // every message box shown, in order
  int beeps = 0;
  // The save dialog's answer: a path, or none for Cancel; the offered names are kept.
  std::optional<QString> saveAnswer;
  QStringList offeredNames;

 private:
  QTemporaryDir config_;
  QByteArray oldXdg_;
  QList<platform::SerialPortEntry> ports_;
};

}  // namespace testsupport
