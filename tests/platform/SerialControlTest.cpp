#include <gtest/gtest.h>

#include <QSerialPort>
#include <QSignalSpy>
#include <memory>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/SerialControl.h"
#include "support/PtyPair.h"

using platform::SerialControl;
using testsupport::PtyPair;
using testsupport::waitFor;

namespace {

// Keeps a pseudo-terminal's number taken while it lives. QSerialPort locks a
// port with a file named after it, removed just after the port closes; when
// the master is gone, closing the port would free the number a moment before
// the lock goes, and a test running in parallel could take the number then.
class SlaveHold {
 public:
  explicit SlaveHold(const QString& path)
      : fd_(::open(path.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK)) {}
  ~SlaveHold() {
    if (fd_ >= 0) ::close(fd_);
  }
  SlaveHold(const SlaveHold&) = delete;
  SlaveHold& operator=(const SlaveHold&) = delete;

 private:
  int fd_;
};

class SerialControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    serial.setPort(pty.portPath());
  }
  // Opens the port, saying why not.
  bool open() {
    const bool ok = serial.Open();
    if (!ok) ADD_FAILURE() << (serial.port() + ": " + serial.errorString()).toStdString();
    return ok;
  }
  // The device goes away, as a pulled cable does.
  void pullCable() {
    hold = std::make_unique<SlaveHold>(pty.portPath());
    pty.closeMaster();
  }

  PtyPair pty;
  std::unique_ptr<SlaveHold> hold;
  SerialControl serial;
};

// Setting a modem line fails on a pseudo-terminal: that never stops it opening.
TEST_F(SerialControlTest, opensAPseudoTerminalAt9600EightNoneOneWhateverTheModemLines) {
  serial.setRequestToSend(true);
  ASSERT_TRUE(open());
  serial.setRequestToSend(false);
  EXPECT_TRUE(serial.isOpen());
  EXPECT_TRUE(serial.errorString().isEmpty());
  EXPECT_EQ(serial.port(), pty.portPath());

  // The line settings live with the terminal: read them through a second handle.
  const int fd = ::open(pty.portPath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  termios tio{};
  ASSERT_EQ(::tcgetattr(fd, &tio), 0);
  ::close(fd);
  EXPECT_EQ(::cfgetispeed(&tio), speed_t(B9600));
  EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), tcflag_t(0));
}

TEST_F(SerialControlTest, dataAvailableFiresAndLookAheadLeavesEveryByteUnchanged) {
  QSignalSpy available(&serial, &SerialControl::DataAvailable);
  ASSERT_TRUE(open());
  QByteArray all;
  for (int c = 0; c < 256; ++c) all += char(c);
  ASSERT_TRUE(pty.write(all));
  ASSERT_TRUE(waitFor([&] { return serial.bytesAvailable() == all.size(); }));
  EXPECT_GE(available.count(), 1);

  EXPECT_EQ(serial.LookAhead(), all);
  EXPECT_EQ(serial.LookAhead(), all);
  EXPECT_EQ(serial.bytesAvailable(), all.size());
  EXPECT_EQ(serial.ReadAll(), all);
  EXPECT_EQ(serial.bytesAvailable(), 0);
  EXPECT_EQ(serial.LookAhead(), "");
  EXPECT_EQ(serial.ReadAll(), "");
}

TEST_F(SerialControlTest, closedPeerLosesThePortOnceAndClosesIt) {
  QSignalSpy lost(&serial, &SerialControl::PortLost);
  QSignalSpy available(&serial, &SerialControl::DataAvailable);
  auto* port = serial.findChild<QSerialPort*>();
  ASSERT_NE(port, nullptr);
  QSignalSpy portErrors(port, &QSerialPort::errorOccurred);
  ASSERT_TRUE(open());
  pullCable();
  ASSERT_TRUE(waitFor([&] { return lost.count() >= 1; }));
  EXPECT_FALSE(serial.isOpen());
  EXPECT_EQ(lost.takeFirst().at(0).toString(), pty.portPath());
  EXPECT_EQ(serial.errorString(), QStringLiteral("The device hung up the line"));

  // Nothing keeps reporting once the port is closed: a hung-up line left open
  // would raise a read error on every pass of the event loop.
  const auto readErrors = [&] {
    qsizetype count = 0;
    for (const auto& args : portErrors) {
      const auto error = args.at(0).value<QSerialPort::SerialPortError>();
      count += error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
    }
    return count;
  };
  const qsizetype errorsAtLoss = readErrors();
  waitFor([] { return false; }, 300);
  EXPECT_GE(errorsAtLoss, 1);
  EXPECT_LE(errorsAtLoss, 50);
  EXPECT_EQ(readErrors(), errorsAtLoss);
  EXPECT_EQ(lost.count(), 0);
  EXPECT_EQ(available.count(), 0);
  EXPECT_EQ(serial.bytesAvailable(), 0);
  EXPECT_EQ(serial.ReadAll(), "");
}

TEST_F(SerialControlTest, openingAgainReopensAndClosingTwiceIsHarmless) {
  serial.Close();
  ASSERT_TRUE(open());
  ASSERT_TRUE(open());
  EXPECT_TRUE(serial.isOpen());
  serial.Close();
  serial.Close();
  EXPECT_FALSE(serial.isOpen());
  ASSERT_TRUE(open());
  ASSERT_TRUE(pty.write("x"));
  EXPECT_TRUE(waitFor([&] { return serial.bytesAvailable() == 1; }));
}

TEST(SerialControlOpen, missingPortFailsWithTheSystemReason) {
  SerialControl serial;
  serial.setPort(QStringLiteral("/dev/kestrune-no-such-port"));
  EXPECT_FALSE(serial.Open());
  EXPECT_FALSE(serial.isOpen());
  EXPECT_FALSE(serial.errorString().isEmpty());
  EXPECT_NE(serial.errorString(), QStringLiteral("Unknown error"));
  EXPECT_EQ(serial.LookAhead(), "");
  EXPECT_EQ(serial.bytesAvailable(), 0);
}

TEST_F(SerialControlTest, bytesUnreadWhenThePortIsLostAreStillDelivered) {
  ASSERT_TRUE(open());
  QSignalSpy data(&serial, &SerialControl::DataAvailable);
  QSignalSpy lost(&serial, &SerialControl::PortLost);
  ASSERT_TRUE(pty.write("<EOR>]"));
  ASSERT_TRUE(waitFor([&] { return serial.bytesAvailable() == 6; }));
  pullCable();
  ASSERT_TRUE(waitFor([&] { return lost.count() == 1; }));
  EXPECT_FALSE(serial.isOpen());
  EXPECT_GE(data.count(), 2);  // told again, after the loss
  EXPECT_EQ(serial.LookAhead(), "<EOR>]");
  EXPECT_EQ(serial.ReadAll(), "<EOR>]");
  EXPECT_EQ(serial.bytesAvailable(), 0);
}

}  // namespace
