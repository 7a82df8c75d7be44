// Many exports through one window that is never restarted: each is saved whole, and the heap stays flat.
#include <malloc.h>

#include "support/AppFixture.h"

#ifdef ADIF_ASAN
#include <sanitizer/allocator_interface.h>
#endif

namespace {

// Bytes held on the heap now; under AddressSanitizer its own allocator counts them.
qint64 HeapInUse() {
#ifdef ADIF_ASAN
  return qint64(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return qint64(info.uordblks + info.hblkhd);
#endif
}

// Records as the device sends them, each with its completed form for the call sign N0CALL.
const struct {
  QByteArray sent, completed;
} kRecords[] = {
    {"\r\n<MODE:2>CW<FREQ:6>14.074<RST_RCVD:7>599/579<EOR>",
     "\r\n<MODE:2>CW<FREQ:6>14.074<BAND:3>20M<RST_RCVD:3>599<RST_SENT:3>579<STATION_CALLSIGN:6>N0CALL<EOR>"},
    {"\r\n<CALL:5>DL1AB<FREQ:4>7030<RST_RCVD:3>579<EOR>",
     "\r\n<CALL:5>DL1AB<FREQ:4>7030<BAND:3>40M<RST_RCVD:3>579<RST_SENT:0><STATION_CALLSIGN:6>N0CALL<EOR>"},
    {"\r\n<FREQ:8>1296.200<RST_RCVD:5>5/9/7<EOR>",
     "\r\n<FREQ:8>1296.200<BAND:4>23CM<RST_RCVD:1>5<RST_SENT:3>9/7<STATION_CALLSIGN:6>N0CALL<EOR>"},
};

using ExportSoak = testsupport::AppFixture;

// ADIF_SOAK_EXPORTS sets the number of exports. The heap is measured with the export cleared away, once
// buffers that keep their largest size have reached it, and again at the end: keeping the reads shows.
TEST_F(ExportSoak, exportsBackToBackAreAllSavedWholeAndTheHeapStaysFlat) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice());
  const int asked = qEnvironmentVariableIntValue("ADIF_SOAK_EXPORTS");
  const int exports = asked > 0 ? asked : 32;
  const int warmUp = std::clamp(exports / 4, 1, 50);
  platform::SetClockForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(23, 59, 58)); });
  const QString path = QDir(configDir()).filePath("soak.ADI");
  qint64 heapAfterWarmUp = 0, sentSince = 0;  // bytes sent after the first measurement
  for (int i = 0; i < exports; ++i) {
    SCOPED_TRACE("export " + std::to_string(i));
    if (i == warmUp) {
      QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
      heapAfterWarmUp = HeapInUse();
    }
    // The first is the longest and traced, so that the status area and the port's buffer reach their peak.
    QByteArray text = "Log<EOH>", completed = text;
    for (int r = i == 0 ? 800 : draw(200, 600); r > 0; --r) {
      const auto& record = kRecords[draw(0, 2)];
      text += record.sent;
      completed += record.completed;
    }
    text += "\r\n";
    window->Trace()->setChecked(i == 0 || draw(0, 9) == 0);
    send(Framed(text));
    sentSince += i >= warmUp ? text.size() : 0;
    ASSERT_TRUE(awaitHeld(completed));
    save(path);
    ASSERT_EQ(Contents(path), "Generated on 2026-12-06 at 23:59:58\n" + completed);
    if (draw(0, 2) == 0) QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
  }
  QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
  const qint64 growth = HeapInUse() - heapAfterWarmUp;
  // Allocator noise only: keeping what arrived since, or a good part of it, would show.
  if (exports > warmUp) {
    EXPECT_LE(growth, 128 * 1024) << "after " << sentSince << " bytes sent";
  }
}

}  // namespace
