// One export from end to end in the real window, over a real pseudo-terminal.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/MyProgressBar.h"
#include "platform/Clock.h"
#include "platform/SerialControl.h"
#include "support/AppFixture.h"
#include "support/PtyPair.h"

namespace {

using testsupport::waitFor;

const QByteArray kExport =
    "Kestrune log<EOH>\r\n"
    "<CALL:4>W1AW<FREQ:6>14.074<MODE:3>FT8<RST_RCVD:7>599/579<EOR>\r\n"
    "<CALL:5>DL1AB<FREQ:4>7030<MODE:2>CW<RST_RCVD:3>579<EOR>\r\n";

const QByteArray kCompleted =
    "Kestrune log<EOH>\r\n"
    "<CALL:4>W1AW<FREQ:6>14.074<BAND:3>20M<MODE:3>FT8<RST_RCVD:3>599<RST_SENT:3>579"
    "<STATION_CALLSIGN:6>N0CALL<EOR>\r\n"
    "<CALL:5>DL1AB<FREQ:4>7030<BAND:3>40M<MODE:2>CW<RST_RCVD:3>579<RST_SENT:0>"
    "<STATION_CALLSIGN:6>N0CALL<EOR>";

class ExportFlow : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(pty_.ok());
    setPorts({{"ttyTEST0", pty_.portPath()}});
    openWindow();
    // The user picks the port.
    window->SerialPortMenu()->setCurrentIndex(0);
    Q_EMIT window->SerialPortMenu()->activated(0);
    ASSERT_TRUE(window->Serial1()->isOpen()) << messages.join("|").toStdString();
  }
  testsupport::PtyPair pty_;
};

TEST_F(ExportFlow, exportArrivesIsCompletedSavedAndCleared) {
  QTest::keyClicks(window->CallsignText(), "n0call");
  EXPECT_EQ(window->m_CallText, "N0CALL");

  const QByteArray head = "noise{" + QByteArray::number(kExport.size());
  ASSERT_TRUE(pty_.write(head));
  ASSERT_TRUE(waitFor([&] { return window->Serial1()->bytesAvailable() == head.size(); }));
  EXPECT_FALSE(window->DownloadStart());
  ASSERT_TRUE(pty_.write("}[" + kExport.left(40)));
  ASSERT_TRUE(waitFor([&] { return window->DownloadStart(); }));
  EXPECT_EQ(window->MyProgressBar1()->Maximum, kExport.size());
  ASSERT_TRUE(pty_.write(kExport.mid(40) + "]"));
  ASSERT_TRUE(waitFor([&] { return window->PushButton1()->isEnabled(); }));

  EXPECT_FALSE(window->DownloadStart());
  EXPECT_EQ(window->ADIFData(), kCompleted);
  EXPECT_EQ(window->MyProgressBar1()->Value, 0);
  EXPECT_EQ(window->StatusField()->toPlainText(),
            "Waiting for ADIF data...\nBeginning Export...\nExport Complete!");

  QTemporaryDir out;
  platform::SetClockForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(21, 5, 0)); });
  saveAnswer = QDir(out.path()).filePath("ZVK20261206T210500.ADI");
  QTest::mouseClick(window->PushButton1(), Qt::LeftButton);
  QFile saved(*saveAnswer);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), "Generated on 2026-12-06 at 21:05:00\n" + kCompleted);

  QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
  EXPECT_TRUE(window->ADIFData().isEmpty());
  EXPECT_EQ(window->StatusField()->toPlainText(), "Waiting for ADIF data...\n");
}

TEST_F(ExportFlow, callSignChangedBeforeTheEndMarkerAppliesToTheArrivingExport) {
  QTest::keyClicks(window->CallsignText(), "old");
  ASSERT_TRUE(pty_.write("{40}<CALL:4>W1AW"));
  ASSERT_TRUE(waitFor([&] { return window->DownloadStart(); }));
  window->CallsignText()->selectAll();
  QTest::keyClicks(window->CallsignText(), "n0call");
  ASSERT_TRUE(pty_.write("<EOR>]"));
  ASSERT_TRUE(waitFor([&] { return !window->DownloadStart(); }));
  const QByteArray completed = "<RST_RCVD:0><RST_SENT:0><BAND:0><CALL:4>W1AW<STATION_CALLSIGN:6>N0CALL<EOR>";
  EXPECT_EQ(window->ADIFData(), completed);
  QTest::keyClicks(window->CallsignText(), "x");  // a finished export keeps the call sign it got
  EXPECT_EQ(window->ADIFData(), completed);
}

// The rest of that export goes into the emptied buffer, without the header
// that was discarded, and is completed at its end marker.
TEST_F(ExportFlow, clearDuringAnExportLeavesItArriving) {
  ASSERT_TRUE(pty_.write("{3}old]"));
  ASSERT_TRUE(waitFor([&] { return window->PushButton2()->isEnabled(); }));
  ASSERT_TRUE(pty_.write("{40}H<EOH><CALL:4>W1AW"));
  ASSERT_TRUE(waitFor([&] { return window->ADIFData() == "H<EOH><CALL:4>W1AW"; }));
  QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
  EXPECT_TRUE(window->ADIFData().isEmpty());
  EXPECT_TRUE(window->DownloadStart());
  EXPECT_EQ(window->StatusField()->toPlainText(), "Waiting for ADIF data...\n");
  EXPECT_FALSE(window->PushButton1()->isEnabled());

  ASSERT_TRUE(pty_.write("<MODE:2>CW<EOR>]"));
  ASSERT_TRUE(waitFor([&] { return !window->DownloadStart(); }));
  EXPECT_EQ(window->ADIFData(), "<RST_RCVD:0><RST_SENT:0><BAND:0><MODE:2>CW<STATION_CALLSIGN:0><EOR>");
  EXPECT_EQ(window->StatusField()->toPlainText(), "Waiting for ADIF data...\nExport Complete!");
  EXPECT_TRUE(window->PushButton1()->isEnabled());
  EXPECT_EQ(window->MyProgressBar1()->Value, 0);
}

}  // namespace
