// A long run: exports of varied sizes arrive back to back through the
// simulated device into one real window that is never restarted; each is
// saved and compared byte for byte with what the device sent, completed; the
// heap in use after the first exports and at the end must be the same.
//
// ADIF_SOAK_EXPORTS sets the number of exports (default 100, 40 under
// AddressSanitizer; the full run is 1000), ADIF_SOAK_PACE the line's speed-up.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <malloc.h>
#include <unistd.h>

#include "DeviceFixture.h"
#include "capture/Reception.h"
#include "platform/Clock.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ADIF_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ADIF_ASAN 1
#endif
#ifdef ADIF_ASAN
#include <sanitizer/allocator_interface.h>
#endif

namespace {

using testsupport::DeviceSimulator;
using testsupport::ExpectedCompletion;
using testsupport::ExportGenerator;
using testsupport::GeneratedExport;
using testsupport::SameBytes;

// Bytes the program holds on the heap now.
qint64 HeapInUse() {
#ifdef ADIF_ASAN
  return qint64(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return qint64(info.uordblks + info.hblkhd);
#endif
}

qint64 ResidentBytes() {
  QFile statm("/proc/self/statm");
  if (!statm.open(QIODevice::ReadOnly)) return -1;
  const QList<QByteArray> fields = statm.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : -1;
}

int EnvNumber(const char* name, int fallback) {
  bool ok = false;
  const int value = qEnvironmentVariableIntValue(name, &ok);
  return ok && value > 0 ? value : fallback;
}

#ifdef ADIF_ASAN
constexpr int kDefaultExports = 40;
#else
constexpr int kDefaultExports = 100;
#endif

constexpr int kMostRecords = 1500;

// Mostly short logs, some long ones, now and then a very long one or none at all.
int RecordCount(ExportGenerator& gen) {
  const int kind = gen.Between(0, 99);
  if (kind < 3) return 0;
  if (kind < 70) return gen.Between(1, 40);
  if (kind < 95) return gen.Between(41, 300);
  return gen.Between(301, kMostRecords);
}

class LongRun : public testsupport::DeviceFixture {
 protected:
  QByteArray saveAndRead(const QString& path) {
    saveAnswer = path;
    QTest::mouseClick(window->PushButton1(), Qt::LeftButton);
    offeredNames.clear();
    QFile f(path);
    QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    f.remove();
    return bytes;
  }
  // The same quiet state for every measurement: the export cleared away.
  qint64 settledHeap() {
    QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return HeapInUse();
  }
};

TEST_F(LongRun, exportsBackToBackAreAllSavedWholeAndTheHeapStaysFlat) {
  const int exports = EnvNumber("ADIF_SOAK_EXPORTS", kDefaultExports);
  const double pace = EnvNumber("ADIF_SOAK_PACE", 100);
  const int warmUp = std::clamp(exports / 4, 1, 100);  // exports before the first measurement
  QTemporaryDir out;
  ASSERT_TRUE(out.isValid());
  platform::SetClockForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(23, 59, 58)); });
  const QByteArray headerLine = "Generated on 2026-12-06 at 23:59:58\n";

  ExportGenerator gen(1000);
  DeviceSimulator device(pty(), {pace, 1000, 512});
  QElapsedTimer clock;
  clock.start();
  qint64 lineBytes = 0;
  qint64 bytesCompared = 0;
  qint64 records = 0;
  int saved = 0;
  qint64 heapAtWarmUp = 0;
  qint64 residentAtWarmUp = 0;
  for (int i = 0; i < exports; ++i) {
    if (i == warmUp) {
      // Measured here, while the test itself holds no export.
      heapAtWarmUp = settledHeap();
      residentAtWarmUp = ResidentBytes();
    }
    SCOPED_TRACE("export " + std::to_string(i));
    // The first export is the longest and is traced: buffers that keep their
    // largest size (the status area's, the port's) reach it before the first
    // measurement, so that only growth from export to export counts.
    const GeneratedExport g = gen.Make(i == 0 ? kMostRecords : RecordCount(gen));
    const bool trace = gen.Between(0, 9) == 0 || i == 0;
    window->Trace()->setChecked(trace);
    const QByteArray noise = gen.Between(0, 3) == 0 ? gen.Noise(10) : QByteArray();
    const QByteArray expected = ExpectedCompletion(g, kCallSign);
    // Two header-only logs in a row complete to the same text: clear the
    // first, so that the second is seen to arrive.
    if (window->ADIFData() == expected) QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
    device.sendExport(g.text, noise);
    lineBytes += noise.size() + QByteArray::number(g.text.size()).size() + 3 + g.text.size();
    records += g.records.size();
    ASSERT_TRUE(awaitCompleted(expected, g.text.size(), pace));
    ASSERT_TRUE(status().endsWith(trace ? "\nExport Complete!" : "Beginning Export...\nExport Complete!"))
        << status().right(80).toStdString();
    ASSERT_TRUE(SameBytes(saveAndRead(QDir(out.path()).filePath(QString("soak-%1.ADI").arg(i))),
                          headerLine + expected));
    bytesCompared += headerLine.size() + expected.size();
    ++saved;
    ASSERT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();

    if (gen.Between(0, 2) == 0) QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
  }
  ASSERT_TRUE(device.idle());
  const qint64 heapAtEnd = settledHeap();
  const qint64 residentAtEnd = ResidentBytes();
  std::printf(
      "long run: %d exports (%lld records, %lld bytes on the line, %lld bursts) received and saved, "
      "%lld bytes compared, 0 lost or corrupted, in %.1f s at %gx line speed\n"
      "heap in use after %d exports %lld bytes, at the end %lld bytes (%+lld); resident %lld -> %lld bytes\n",
      saved, records, lineBytes, device.bursts(), bytesCompared, clock.elapsed() / 1000.0, pace, warmUp,
      heapAtWarmUp, heapAtEnd, heapAtEnd - heapAtWarmUp, residentAtWarmUp, residentAtEnd);
  EXPECT_EQ(device.bytesSent(), lineBytes);
  // Allocator noise only: keeping a tenth of each export would show.
  if (exports > warmUp) {
    EXPECT_LE(heapAtEnd - heapAtWarmUp, 128 * 1024);
  }
}

}  // namespace
