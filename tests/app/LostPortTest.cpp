// A cable pulled after an export has completed: the export is no longer the port's.
#include "support/AppFixture.h"

namespace {

using LostPort = testsupport::AppFixture;

TEST_F(LostPort, aCompletedExportOutlivesItsPortAndIsStillSavedWhole) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice());
  const QByteArray completed =
      "Log<EOH>\r\n<MODE:2>CW<FREQ:6>14.074<BAND:3>20M<RST_RCVD:3>599<RST_SENT:3>579<STATION_CALLSIGN:6>N0CALL<EOR>";
  send(Framed("Log<EOH>\r\n<MODE:2>CW<FREQ:6>14.074<RST_RCVD:7>599/579<EOR>\r\n"));
  ASSERT_TRUE(awaitHeld(completed));
  pty().closeMaster();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->Serial1()->isOpen(); }));
  EXPECT_EQ(status(), "Waiting for ADIF data...\nBeginning Export...\nExport Complete!Lost serial port ttyKQ0\n");
  platform::SetClockForTesting([] { return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)); });
  const QString path = QDir(configDir()).filePath("kept.ADI");
  save(path);
  EXPECT_EQ(Contents(path), "Generated on 2026-01-02 at 03:04:05\n" + completed);
}

}  // namespace
