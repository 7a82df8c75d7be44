#pragma once
// A fresh, isolated setting for a test of the real main window: its own XDG config folder,
// serial ports and dialogs answered by the test; and a device on a pseudo-terminal. A message box
// fails the test at once unless the test says it expects boxes; every wait says what it found.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QtTest>
#include <QtWidgets>
#include <csignal>
#include <list>
#include <optional>
#include <random>

#include "app/Window1.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/PortList.h"
#include "platform/SerialControl.h"
#include "prefs/QELTEasyPrefs.h"
#include "support/PtyPair.h"
#include "support/QtPrinters.h"
#include "support/UnexpectedDialogs.h"

namespace testsupport {

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(config_.isValid());
    oldXdg_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
    QELTEasyPrefs::ResetForTesting();
    platform::SetPortSourceForTesting([this] { return ports_; });
    platform::DialogHandlers handlers = UnexpectedDialogs();
    handlers.msgBox = [this](const QString& text) {
      messages << text;
      if (!messageBoxesExpected) ADD_FAILURE() << "unexpected message box: " << text.toStdString();
    };
    handlers.beep = [this] { ++beeps; };
    handlers.saveFile = [this](const QString& name) {
      offeredNames << name;
      return saveAnswer;
    };
    platform::SetDialogHandlersForTesting(handlers);
  }
  void TearDown() override {
    if (window) closeWindow();
    platform::SetDialogHandlersForTesting(UnexpectedDialogs());
    platform::SetPortSourceForTesting({});
    platform::SetClockForTesting({});
    QELTEasyPrefs::ResetForTesting();
    oldXdg_.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", oldXdg_);
  }

  void setPorts(QList<platform::SerialPortEntry> ports) { ports_ = std::move(ports); }
  // Builds, opens and shows a main window, as start-up does.
  void openWindow() {
    window = std::make_unique<app::Window1>();
    window->Event_Open();
    window->show();
    QCoreApplication::processEvents();
  }
  // Closes it as the user does (runs the close handlers) and destroys it.
  void closeWindow() {
    window->close();
    window.reset();
    QCoreApplication::processEvents();
  }
  QString configDir() const { return config_.path(); }
  QString prefsPath() const { return QDir(config_.path()).filePath("ZVKUtilPrefs"); }

  // A new cable: a new pseudo-terminal, the only port, "ttyKQ0", kept to the test's end.
  void plugIn() {
    ASSERT_TRUE(ptys_.emplace_back().ok());
    setPorts({{"ttyKQ0", pty().portPath()}});
  }
  PtyPair& pty() { return ptys_.back(); }
  void pickPort() {
    window->SerialPortMenu()->setCurrentIndex(0);
    Q_EMIT window->SerialPortMenu()->activated(0);
  }
  // A window listening on a device just plugged in, with the call sign typed.
  void openOnDevice(const QString& typedCall = "n0call") {
    plugIn();
    openWindow();
    pickPort();
    ASSERT_TRUE(window->Serial1()->isOpen()) << messages.join('|').toStdString();
    QTest::keyClicks(window->CallsignText(), typedCall);
  }
  // The device sends `bytes` in bursts of random size, the event loop running between them.
  void send(QByteArrayView bytes) {
    for (qsizetype burst = 0; !bytes.isEmpty(); bytes = bytes.sliced(burst)) {
      burst = std::min<qsizetype>(draw(1, 600), bytes.size());
      ASSERT_TRUE(pty().write(bytes.first(burst)));
      QCoreApplication::processEvents();
    }
  }
  // The device sends the framed `text` in `reads` writes, each taken by the window before the next is written;
  // `taken` runs after each, given its number from 0.
  void sendInReads(const QByteArray& text, int reads, const std::function<void(int)>& taken) {
    const QByteArray framed = Framed(text);
    const qsizetype head = framed.indexOf('}') + 1;
    QList<QByteArray> cut;
    for (int i = 0; i < reads; ++i) {
      const qsizetype from = i ? head + text.size() * i / reads : 0, to = head + text.size() * (i + 1) / reads;
      cut << framed.sliced(from, to - from + (i == reads - 1));  // the last with the end marker
    }
    sendReads(cut, taken);
  }
  // The device sends `reads`, the first with the export's header and the last with its end marker, each taken
  // by the window before the next is written; `taken` runs after each, given its number from 0.
  void sendReads(const QList<QByteArray>& reads, const std::function<void(int)>& taken) {
    qsizetype held = 0;  // what the buffer holds after each read: the text without the header and "["
    for (int i = 0, last = int(reads.size()) - 1; i <= last; ++i) {
      SCOPED_TRACE("read " + std::to_string(i));
      const QByteArray text = i ? reads[i] : reads[i].sliced(reads[i].indexOf('}') + 1);
      held += text.size() - text.count('[');
      ASSERT_TRUE(pty().write(reads[i]));
      const auto arrived = [&] { return i == last ? !window->DownloadStart() : window->ADIFData().size() == held; };
      ASSERT_TRUE(waitFor(arrived, i == last ? "the end of the export" : "the read's bytes in the buffer", [&] {
        return heldNow() + (i == last ? "" : ", expected " + std::to_string(held));
      }));
      taken(i);
    }
  }
  // A random export of `records` contacts: what the device sends between "{N}" and "]".
  QByteArray makeExport(int records) {
    static const char* const kRecords[] = {"<CALL:4>W1AW<FREQ:6>14.074<MODE:3>FT8<RST_RCVD:7>599/579",
                                           "<CALL:5>DL1AB<FREQ:4>7030<MODE:2>CW<RST_RCVD:3>579",
                                           "<CALL:4>K1JT<RST_RCVD:3>/-9<FREQ:6>50.313<MODE:3>FT8",
                                           "<call:6>JA1XYZ<freq:5>6.500<mode:3>SSB<rst_rcvd:0>"};
    QByteArray text = "Kestrune QZT605 log export\r\n<ADIF_VER:5>3.1.0<EOH>";
    for (int i = 0; i < records; ++i)
      text += "\r\n<TIME_ON:4>" + QByteArray::number(draw(1000, 2359)) + kRecords[draw(0, 3)] + "<EOR>";
    return text + "\r\n";
  }
  // The user clicks "Save to File" and answers the dialog with a path or, with none, Cancel.
  void save(std::optional<QString> answer) {
    saveAnswer = std::move(answer);
    QTest::mouseClick(window->PushButton1(), Qt::LeftButton);
  }
  // A number in [low, high], from the test's seeded sequence.
  int draw(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  // Waits for `done`; on time-out, fails with `what` was awaited and what `found` describes then.
  ::testing::AssertionResult waitFor(const std::function<bool()>& done, const std::string& what,
                                     const std::function<std::string()>& found, int ms = kWaitMs) {
    if (QTest::qWaitFor(done, ms)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "waited " << ms << " ms for " << what << "; found " << found();
  }
  // Waits until reception is idle with the window holding `expected`.
  ::testing::AssertionResult awaitHeld(QByteArrayView expected) {
    return awaitBuffer(false, expected);
  }
  // Waits until an export has finished since the buttons were last disabled.
  ::testing::AssertionResult awaitFinished() {
    return waitFor([&] { return !window->DownloadStart() && window->PushButton1()->isEnabled(); },
                   "an export to finish", [&] { return heldNow(); });
  }
  // Waits until an export is still arriving with the window holding `expected` so far.
  ::testing::AssertionResult awaitReceiving(QByteArrayView expected) {
    return awaitBuffer(true, expected);
  }
  QString status() const { return window->StatusField()->toPlainText(); }

  // The export as the device frames it: "{" the text's length "}" the text "]".
  static QByteArray Framed(QByteArrayView text) {
    return "{" + QByteArray::number(text.size()) + "}" + text.toByteArray() + "]";
  }
  // Runs `write` with files limited to `bytes`, as on a full disk: a write past it fails.
  static bool WithFilesUpTo(rlim_t bytes, const std::function<bool()>& write) {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
    rlimit unlimited{};
    const rlimit full{bytes, ::getrlimit(RLIMIT_FSIZE, &unlimited) == 0 ? unlimited.rlim_max : bytes};
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
    const bool written = write();
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    return written;
  }
  static QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
  }

  // Long enough for a loaded machine; a wait that passes never takes it.
  static constexpr int kWaitMs = 10000;

  std::unique_ptr<app::Window1> window;
  bool messageBoxesExpected = false;  // false: a message box fails the test at once
  QStringList messages;  // every message box shown, in order
  int beeps = 0;
  std::optional<QString> saveAnswer;  // the save dialog's answer: a path, or none for Cancel
  QStringList offeredNames;

 private:
  std::string heldNow() const {
    return std::string("DownloadStart ") + (window->DownloadStart() ? "true" : "false") + ", holding " +
           std::to_string(window->ADIFData().size()) + " bytes";
  }
  ::testing::AssertionResult awaitBuffer(bool arriving, QByteArrayView expected) {
    const auto done = [&] { return window->DownloadStart() == arriving && window->ADIFData() == expected; };
    return waitFor(done, arriving ? "an export arriving, holding the expected bytes so far"
                                  : "reception idle, holding the expected export",
                   [&] {
                     const QByteArrayView held(window->ADIFData());
                     return heldNow() + (held == expected ? ", as expected" : "; " + Difference(held, expected));
                   });
  }

  QTemporaryDir config_;
  QByteArray oldXdg_;
  QList<platform::SerialPortEntry> ports_;
  std::list<PtyPair> ptys_;
  std::mt19937 random_{2024};
};

}  // namespace testsupport
