// The serial control on real pseudo-terminals.
#include <gtest/gtest.h>
#include <termios.h>

#include <QMetaEnum>
#include <QSignalSpy>

#include "platform/SerialControl.h"
#include "support/PtyPair.h"
#include "support/QtPrinters.h"

namespace {

using platform::SerialControl;

// A missing port fails with the system's reason; a pty has no modem lines, and asking for one never stops it opening.
TEST(SerialControl, opensAt9600EightNoneOneOrSaysWhyNotAndLeavesEveryByteForReadAll) {
  SerialControl serial;
  serial.setPort("/dev/kestrune-no-such-port");
  EXPECT_FALSE(serial.Open());
  EXPECT_EQ(serial.errorString(), "No such file or directory");
  testsupport::PtyPair pty;
  serial.setPort(pty.portPath());
  serial.setRequestToSend(true);
  ASSERT_TRUE(serial.Open()) << serial.errorString().toStdString();
  EXPECT_TRUE(serial.errorString().isEmpty());
  // The line settings live with the terminal: read them through a second handle.
  const int fd = ::open(pty.portPath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  termios tio{};
  ASSERT_EQ(::tcgetattr(fd, &tio), 0);
  ::close(fd);
  EXPECT_EQ(::cfgetispeed(&tio), speed_t(B9600));
  EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), tcflag_t(0));

  QByteArray all;
  for (int c = 0; c < 256; ++c) all += char(c);
  ASSERT_TRUE(pty.write(all));
  ASSERT_TRUE(QTest::qWaitFor([&] { return serial.bytesAvailable() == all.size(); }));
  EXPECT_EQ(serial.LookAhead(), all);
  EXPECT_EQ(serial.ReadAll(), all);
  EXPECT_EQ(serial.bytesAvailable(), 0);
  EXPECT_TRUE(serial.Open()) << "again, while open: " << serial.errorString().toStdString();
}

// The device hangs up with bytes unread, or none: the port is closed and reported once; the bytes before are kept.
TEST(SerialControl, aHungUpLineIsClosedAndReportedOnceKeepingTheBytesBefore) {
  for (const QByteArray& before : {QByteArray(), QByteArray("<EOR>]")}) {
    SCOPED_TRACE(before.toStdString());
    testsupport::PtyPair pty;
    SerialControl serial;
    serial.setPort(pty.portPath());
    ASSERT_TRUE(serial.Open()) << serial.errorString().toStdString();
    ASSERT_TRUE(pty.write(before));
    ASSERT_TRUE(QTest::qWaitFor([&] { return serial.bytesAvailable() == before.size(); }));
    QSignalSpy available(&serial, &SerialControl::DataAvailable);
    QSignalSpy lost(&serial, &SerialControl::PortLost);
    pty.closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() == 1; }));
    EXPECT_FALSE(serial.isOpen());
    EXPECT_EQ(lost[0][0].toString(), pty.portPath());
    EXPECT_EQ(serial.errorString(), "The device hung up the line");
    QTest::qWait(300);  // nothing more to report
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(available.count(), before.isEmpty() ? 0 : 1);
    EXPECT_EQ(serial.ReadAll(), before);
    EXPECT_EQ(serial.bytesAvailable(), 0);
  }
}

// Read and resource errors are how a pulled adapter shows: either loses the port. Other errors, such as a
// modem line that a pseudo-terminal cannot set, leave it open.
TEST(SerialControl, readAndResourceErrorsLoseThePortAndOtherErrorsDoNot) {
  const std::pair<QSerialPort::SerialPortError, bool> kinds[] = {
      {QSerialPort::ReadError, true}, {QSerialPort::ResourceError, true}, {QSerialPort::WriteError, false},
      {QSerialPort::UnsupportedOperationError, false}, {QSerialPort::TimeoutError, false}};
  testsupport::PtyPair pty;
  for (const auto& [kind, lost] : kinds) {
    SCOPED_TRACE(QMetaEnum::fromType<QSerialPort::SerialPortError>().valueToKey(kind));
    SerialControl serial;
    serial.setPort(pty.portPath());
    ASSERT_TRUE(serial.Open()) << serial.errorString().toStdString();
    QSignalSpy lostSpy(&serial, &SerialControl::PortLost);
    Q_EMIT serial.findChild<QSerialPort*>()->errorOccurred(kind);
    QCoreApplication::processEvents();
    EXPECT_EQ(lostSpy.count(), lost ? 1 : 0);
    EXPECT_EQ(serial.isOpen(), !lost);
  }
}

}  // namespace
