// Picking a serial port in the real window's port list, over real
// pseudo-terminals.
#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>

#include "platform/SerialControl.h"
#include "support/AppFixture.h"
#include "support/PtyPair.h"

namespace {

using testsupport::waitFor;

const QString kWaitingLine = QStringLiteral("Waiting for ADIF data...\n");

class PortSelection : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(a_.ok());
    ASSERT_TRUE(b_.ok());
  }

  // Picks `row` as the user does: opens the list and clicks the row, also
  // when it is the row already selected.
  void pick(int row) {
    // The offscreen platform complains that it cannot raise the pop-up or
    // grab the keyboard; that is expected and only clutters the output.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
      if (!text.startsWith(QLatin1String("This plugin does not support"))) previous(type, context, text);
    });
    pickRow(row);
    qInstallMessageHandler(previous);
  }
  void pickRow(int row) {
    QComboBox* list = window->SerialPortMenu();
    list->showPopup();
    QAbstractItemView* view = list->view();
    ASSERT_TRUE(waitFor([&] { return view->isVisible(); }));
    const QRect item = view->visualRect(view->model()->index(row, 0));
    ASSERT_TRUE(item.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    ASSERT_TRUE(waitFor([&] { return !view->isVisible(); }));
    ASSERT_EQ(list->currentIndex(), row);
  }
  QString status() const { return window->StatusField()->toPlainText(); }
  QByteArray readPrefs() const {
    QFile f(prefsPath());
    if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
    return f.readAll();
  }

  testsupport::PtyPair a_, b_;
};

TEST_F(PortSelection, eachPickThatOpensAddsOneWaitingLineBelowTheEarlierOnes) {
  setPorts({{"ttyA", a_.portPath()}, {"ttyB", b_.portPath()}});
  openWindow();
  window->StatusField()->setPlainText("earlier\n");
  pick(0);
  EXPECT_TRUE(window->Serial1()->isOpen());
  EXPECT_EQ(window->Serial1()->port(), a_.portPath());
  EXPECT_EQ(window->m_Port, 0);
  EXPECT_EQ(window->m_PortName, "ttyA");
  pick(1);
  EXPECT_TRUE(window->Serial1()->isOpen());
  EXPECT_EQ(window->Serial1()->port(), b_.portPath());
  EXPECT_EQ(window->m_Port, 1);
  EXPECT_EQ(window->m_PortName, "ttyB");
  EXPECT_EQ(status(), "earlier\n" + kWaitingLine + kWaitingLine);
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_EQ(beeps, 0);

  // The window now listens to the new port.
  ASSERT_TRUE(b_.write("{5}"));
  EXPECT_TRUE(waitFor([&] { return window->DownloadStart(); }));
}

// That is how a user retries a port that failed to open.
TEST_F(PortSelection, pickingTheSelectedRowAgainRunsThePickAgain) {
  setPorts({{"ttyA", "/nonexistent/ttyX"}});
  openWindow();
  pick(0);
  EXPECT_FALSE(window->Serial1()->isOpen());
  ASSERT_EQ(messages.size(), 1);
  // The device is plugged in now.
  setPorts({{"ttyA", a_.portPath()}});
  pick(0);
  EXPECT_TRUE(window->Serial1()->isOpen());
  pick(0);
  EXPECT_TRUE(window->Serial1()->isOpen());
  EXPECT_EQ(status(), kWaitingLine + kWaitingLine);
  EXPECT_EQ(messages.size(), 1);
}

TEST_F(PortSelection, aPickThatFailsNamesThePortClosesTheOldOneAndIsStored) {
  setPorts({{"ttyA", a_.portPath()}, {"ttyBAD", "/nonexistent/ttyX"}});
  openWindow();
  pick(0);
  ASSERT_TRUE(window->Serial1()->isOpen());
  pick(1);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("Unable to open serial port ttyBAD\n\n")) << messages[0].toStdString();
  EXPECT_GT(messages[0].size(), QStringLiteral("Unable to open serial port ttyBAD\n\n").size());  // the reason
  EXPECT_EQ(beeps, 0);
  EXPECT_FALSE(window->Serial1()->isOpen());
  EXPECT_EQ(status(), kWaitingLine);
  EXPECT_EQ(window->m_Port, 1);
  EXPECT_EQ(window->m_PortName, "ttyBAD");
  EXPECT_EQ(window->SerialPortMenu()->currentIndex(), 1);
  closeWindow();
  EXPECT_EQ(readPrefs(), "Port\n1\nPortName\nttyBAD\nFileName\n\nCallsign\n\n");
}

TEST_F(PortSelection, aRowWhosePortHasGoneIsReportedByItsTextAndTheWindowGoesOn) {
  setPorts({{"ttyA", a_.portPath()}, {"ttyB", b_.portPath()}});
  openWindow();
  pick(1);
  ASSERT_TRUE(window->Serial1()->isOpen());
  setPorts({{"ttyA", a_.portPath()}});  // ttyB unplugged
  pick(1);
  EXPECT_EQ(messages, QStringList{"Unable to open serial port ttyB"});
  EXPECT_EQ(beeps, 0);
  EXPECT_FALSE(window->Serial1()->isOpen());
  EXPECT_EQ(window->m_Port, 1);
  EXPECT_EQ(window->m_PortName, "ttyB");
  EXPECT_EQ(status(), kWaitingLine);

  pick(0);
  EXPECT_TRUE(window->Serial1()->isOpen());
  EXPECT_EQ(window->m_PortName, "ttyA");
}

TEST_F(PortSelection, aRowPicksThePortNowAtItsPositionWhenTheListHasChanged) {
  setPorts({{"ttyA", a_.portPath()}, {"ttyB", b_.portPath()}});
  openWindow();
  setPorts({{"ttyB", b_.portPath()}});  // ttyA unplugged
  pick(0);                              // the row still reads "ttyA"
  EXPECT_TRUE(window->Serial1()->isOpen());
  EXPECT_EQ(window->Serial1()->port(), b_.portPath());
  EXPECT_EQ(window->m_PortName, "ttyB");
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PortSelection, aChangeWhileStartingUpClosesOpensAndWritesNothing) {
  setPorts({{"ttyA", a_.portPath()}, {"ttyB", b_.portPath()}});
  openWindow();
  pick(0);
  window->m_Startup = true;
  pick(1);
  EXPECT_TRUE(window->Serial1()->isOpen());
  EXPECT_EQ(window->Serial1()->port(), a_.portPath());
  EXPECT_EQ(window->m_Port, 0);
  EXPECT_EQ(window->m_PortName, "ttyA");
  EXPECT_EQ(status(), kWaitingLine);
  EXPECT_TRUE(messages.isEmpty());
  window->m_Startup = false;
}

TEST_F(PortSelection, theListsCloseSetsOnlyThePortIndexWhichClosingTheWindowStores) {
  setPorts({{"ttyA", a_.portPath()}, {"ttyB", b_.portPath()}});
  openWindow();
  pick(0);
  window->SerialPortMenu()->setCurrentIndex(-1);  // selected from code: no pick
  window->SerialPortMenu_Close();
  EXPECT_EQ(window->m_Port, -1);
  window->SerialPortMenu()->setCurrentIndex(1);
  window->SerialPortMenu_Close();
  EXPECT_EQ(window->m_Port, 1);
  EXPECT_EQ(window->m_PortName, "ttyA");
  EXPECT_EQ(window->Serial1()->port(), a_.portPath());
  EXPECT_TRUE(window->Serial1()->isOpen());
  window->SerialPortMenu()->setCurrentIndex(0);  // the window's close runs the list's close first
  closeWindow();
  EXPECT_EQ(readPrefs(), "Port\n0\nPortName\nttyA\nFileName\n\nCallsign\n\n");
}

}  // namespace
