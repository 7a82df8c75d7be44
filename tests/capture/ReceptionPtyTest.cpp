// Reception fed by the real serial control on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <fcntl.h>
#include <unistd.h>

#include "ReceptionFakes.h"
#include "capture/Reception.h"
#include "platform/SerialControl.h"
#include "support/PtyPair.h"

using testsupport::PtyPair;
using testsupport::RecordingView;
using testsupport::waitFor;

namespace {

class ReceptionPtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    serial.setPort(pty.portPath());
    ASSERT_TRUE(serial.Open()) << (serial.port() + ": " + serial.errorString()).toStdString();
    QObject::connect(&serial, &platform::SerialControl::DataAvailable,
                     [this] { reception.Serial1_DataAvailable(serial, view); });
    view.onYield = [this](int yield) {
      QCoreApplication::processEvents();
      if (duringYield) duringYield(yield);
    };
  }

  PtyPair pty;
  platform::SerialControl serial;
  capture::ExportReception reception;
  RecordingView view;
  std::function<void(int)> duringYield;
};

TEST_F(ReceptionPtyTest, endMarkerArrivingDuringFirstYieldIsNotLeftUnread) {
  duringYield = [this](int yield) {
    if (yield != 1) return;
    ASSERT_TRUE(pty.write("<EOR>]"));
    // Bytes reach the port's buffer inside the handler; no later event comes.
    ASSERT_TRUE(waitFor([&] { return serial.bytesAvailable() == 6; }));
  };
  ASSERT_TRUE(pty.write("{9}<A:1>x"));
  ASSERT_TRUE(waitFor([&] { return view.completions == 1; }));
  EXPECT_EQ(reception.ADIFData, "<A:1>x<EOR>");
  EXPECT_FALSE(reception.DownloadStart);
  EXPECT_EQ(serial.bytesAvailable(), 0);
}

TEST_F(ReceptionPtyTest, lostPortMidExportStaysDownloading) {
  QSignalSpy lost(&serial, &platform::SerialControl::PortLost);
  ASSERT_TRUE(pty.write("{20}<A:1>x"));
  ASSERT_TRUE(waitFor([&] { return reception.DownloadStart; }));
  // Keep the pty's number taken until the port's lock file is gone, so that a
  // test running in parallel cannot take the number while it is still locked.
  const int hold = ::open(pty.portPath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  pty.closeMaster();
  ASSERT_TRUE(waitFor([&] { return lost.count() == 1; }));
  EXPECT_TRUE(reception.DownloadStart);
  EXPECT_EQ(reception.ADIFData, "<A:1>x");

  PtyPair second;
  serial.setPort(second.portPath());
  ASSERT_TRUE(serial.Open()) << (serial.port() + ": " + serial.errorString()).toStdString();
  ASSERT_TRUE(second.write("<EOR>]"));
  ASSERT_TRUE(waitFor([&] { return view.completions == 1; }));
  EXPECT_EQ(reception.ADIFData, "<A:1>x<EOR>");
  serial.Close();  // before the second pair goes
  if (hold >= 0) ::close(hold);
}

}  // namespace
