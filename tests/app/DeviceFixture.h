#pragma once
// The real main window listening on a pseudo-terminal that a simulated device
// drives, with the operator's call sign typed in.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <list>
#include <memory>

#include "platform/SerialControl.h"
#include "support/AppFixture.h"
#include "support/DeviceSimulator.h"
#include "support/ExportGenerator.h"
#include "support/PtyPair.h"

namespace testsupport {

// Byte-for-byte equality that shows where two long texts part.
inline ::testing::AssertionResult SameBytes(const QByteArray& actual, const QByteArray& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  qsizetype at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << actual.size() << " bytes where " << expected.size()
                                       << " were expected, first difference at " << at << ": \""
                                       << actual.mid(at, 60).toStdString() << "\" instead of \""
                                       << expected.mid(at, 60).toStdString() << "\"";
}

class DeviceFixture : public AppFixture {
 protected:
  static constexpr const char* kPortName = "ttyKQ0";
  static constexpr const char* kCallSign = "N0CALL";

  void SetUp() override {
    AppFixture::SetUp();
    if (HasFatalFailure()) return;
    plugIn();
    openWindow();
    pickPort();
    ASSERT_TRUE(window->Serial1()->isOpen()) << messages.join("|").toStdString();
    QTest::keyClicks(window->CallsignText(), "n0call");
    ASSERT_EQ(window->m_CallText, kCallSign);
  }

  // A new cable: a new pseudo-terminal under the same port name. Every pair
  // lives as long as the fixture, so no pty number is reused while a port
  // lock on it may still be there.
  PtyPair& plugIn() {
    pairs_.emplace_back();
    PtyPair& pty = pairs_.back();
    EXPECT_TRUE(pty.ok());
    setPorts({{kPortName, pty.portPath()}});
    return pty;
  }
  PtyPair& pty() { return pairs_.back(); }

  // The user picks the (only) row of the port list.
  void pickPort() {
    window->SerialPortMenu()->setCurrentIndex(0);
    Q_EMIT window->SerialPortMenu()->activated(0);
  }

  QString status() const { return window->StatusField()->toPlainText(); }

  // Waits until the window holds `expected` with reception idle: the export
  // has arrived and been completed. Long enough for the line at `pace`. Call
  // it only when the window does not hold `expected` yet.
  ::testing::AssertionResult awaitCompleted(const QByteArray& expected, qint64 lineBytes, double pace) {
    if (window->ADIFData() == expected && !window->DownloadStart())
      return ::testing::AssertionFailure() << "the window held the expected text before it arrived";
    const double seconds = double(lineBytes) / (DeviceSimulator::kLineBytesPerSecond * pace);
    const int timeoutMs = 30000 + int(4000 * seconds);
    if (waitFor([&] { return !window->DownloadStart() && window->ADIFData() == expected; }, timeoutMs))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "after " << timeoutMs << " ms, Downloading "
                                         << window->DownloadStart() << ", the window holds "
                                         << SameBytes(window->ADIFData(), expected).message();
  }

 private:
  std::list<PtyPair> pairs_;
};

}  // namespace testsupport
