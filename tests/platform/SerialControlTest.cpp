// The serial control on real pseudo-terminals.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

#include <QMetaEnum>
#include <QSignalSpy>
#include <algorithm>
#include <cstdarg>
#include <vector>

#include "platform/SerialControl.h"
#include "support/AsOrdinaryUser.h"
#include "support/PtyPair.h"
#include "support/QtPrinters.h"

namespace {

// Every modem-line request the process makes: {descriptor, request, lines}. A pseudo-terminal has no modem
// lines to read back (TIOCMGET fails with ENOTTY), so what the program asks of the kernel is what shows.
struct LineRequest {
  int fd;
  unsigned long request;
  int lines;
};
std::vector<LineRequest> lineRequests;

}  // namespace

// Stands in front of the C library's ioctl for the whole test program, notes modem-line requests, and passes
// every call on unchanged.
extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
  va_list rest;
  va_start(rest, request);
  void* const arg = va_arg(rest, void*);
  va_end(rest);
  if (request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET)
    lineRequests.push_back({fd, request, *static_cast<const int*>(arg)});
  using Ioctl = int (*)(int, unsigned long, ...);
  static const auto real = reinterpret_cast<Ioctl>(::dlsym(RTLD_NEXT, "ioctl"));
  return real(fd, request, arg);
}

namespace {

using platform::SerialControl;

int PortDescriptor(SerialControl& serial) { return int(serial.findChild<QSerialPort*>()->handle()); }

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

// The device's line drops only when asked: the kernel raises DTR and RTS as a serial port opens.
TEST(SerialControl, opensWithDtrAndRtsLow) {
  testsupport::PtyPair pty;
  SerialControl serial;
  serial.setPort(pty.portPath());
  lineRequests.clear();
  ASSERT_TRUE(serial.Open()) << serial.errorString().toStdString();
  int lines = TIOCM_DTR | TIOCM_RTS;
  for (const LineRequest& r : lineRequests) {
    if (r.fd != PortDescriptor(serial)) continue;
    lines = r.request == TIOCMSET ? r.lines : r.request == TIOCMBIS ? lines | r.lines : lines & ~r.lines;
  }
  EXPECT_EQ(lines & TIOCM_DTR, 0) << "DTR is high";
  EXPECT_EQ(lines & TIOCM_RTS, 0) << "RTS is high";
}

TEST(SerialControl, opensThePortForReadingOnly) {
  testsupport::PtyPair pty;
  SerialControl serial;
  serial.setPort(pty.portPath());
  ASSERT_TRUE(serial.Open()) << serial.errorString().toStdString();
  EXPECT_EQ(::fcntl(PortDescriptor(serial), F_GETFL) & O_ACCMODE, O_RDONLY) << "0 reads, 1 writes, 2 does both";
}

// Nothing goes back to the device: no byte written and none of its own echoed, through reading and closing.
TEST(SerialControl, theDeviceNeverReceivesAByte) {
  testsupport::PtyPair pty;
  SerialControl serial;
  serial.setPort(pty.portPath());
  ASSERT_TRUE(serial.Open()) << serial.errorString().toStdString();
  const QByteArray sent = "{12}<EOH>\r\n<EOR>]\r\n";
  ASSERT_TRUE(pty.write(sent));
  ASSERT_TRUE(QTest::qWaitFor([&] { return serial.bytesAvailable() == sent.size(); }));
  EXPECT_EQ(serial.ReadAll(), sent);
  serial.Close();
  char back[64];
  const ssize_t got = ::read(pty.deviceEnd(), back, sizeof back);  // the kernel passes on what is pending first
  EXPECT_EQ(got, -1) << "the device got " << testing::PrintToString(QByteArray(back, std::max<ssize_t>(got, 0)));
}

TEST(SerialControl, aPortThatCanBeReadButNotWrittenStillOpens) {
  testsupport::PtyPair pty;
  const QByteArray path = pty.portPath().toLocal8Bit();
  ASSERT_EQ(::chmod(path.constData(), 0444), 0);
  SerialControl serial;
  serial.setPort(pty.portPath());
  testsupport::AsOrdinaryUser user;
  ASSERT_TRUE(user.ok());
  ASSERT_LT(::open(path.constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK), 0) << "writable after all";
  EXPECT_TRUE(serial.Open()) << serial.errorString().toStdString();
}

}  // namespace
