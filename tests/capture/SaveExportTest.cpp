#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "capture/SaveExport.h"
#include "support/QtPrinters.h"

namespace {

const QDateTime kWhen(QDate(2017, 5, 6), QTime(14, 3, 9));

// A device that takes at most `chunk` bytes a write and fails once `room`
// bytes are taken, like a full disk.
class ShortDevice : public QIODevice {
 public:
  ShortDevice(qint64 chunk, qint64 room) : chunk_(chunk), room_(room) { open(QIODevice::WriteOnly); }
  QByteArray written;

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 len) override {
    if (room_ <= 0) {
      setErrorString("No space left on device");
      return -1;
    }
    const qint64 n = std::min({len, chunk_, room_});
    room_ -= n;
    written.append(data, n);
    return n;
  }

 private:
  qint64 chunk_, room_;
};

TEST(SaveExport, defaultNameAndHeaderCarryTheSameSecond) {
  EXPECT_EQ(capture::DefaultFileName(kWhen), "ZVK20170506T140309.ADI");
  EXPECT_EQ(capture::HeaderLine(kWhen), "Generated on 2017-05-06 at 14:03:09");
  const QDateTime midnight(QDate(2017, 12, 31), QTime(0, 0, 0));
  EXPECT_EQ(capture::DefaultFileName(midnight), "ZVK20171231T000000.ADI");
}

TEST(SaveExport, writesThroughPartialWritesAndReportsTheDevicesReasonWhenFull) {
  QString error;
  ShortDevice slow(7, 1 << 20);
  EXPECT_TRUE(capture::WriteExport(slow, kWhen, "Log<EOH><EOR>", &error));
  EXPECT_EQ(slow.written, "Generated on 2017-05-06 at 14:03:09\nLog<EOH><EOR>");
  ShortDevice full(7, 10);
  EXPECT_FALSE(capture::WriteExport(full, kWhen, "Log<EOH><EOR>", &error));
  EXPECT_EQ(error, "No space left on device");
}

TEST(SaveExport, fileHoldsHeaderLineThenTheBytesAsHeld) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath("out.ADI");
  for (const QByteArray& data : {QByteArray("Log<EOH>\r\n<X:3>\x00\xff\r<EOR>\r\n", 22), QByteArray()}) {
    QString error;
    ASSERT_TRUE(capture::WriteExportFile(path, kWhen, data, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "Generated on 2017-05-06 at 14:03:09\n" + data);
  }
}

TEST(SaveExport, savingReplacesAnExistingFileWhole) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath("out.ADI");
  QString error;
  ASSERT_TRUE(capture::WriteExportFile(path, kWhen, QByteArray(5000, 'x'), &error));
  ASSERT_TRUE(capture::WriteExportFile(path, kWhen, "short", &error));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), "Generated on 2017-05-06 at 14:03:09\nshort");
}

TEST(SaveExport, unwritableTargetNamesTheFileAndTheReason) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath("no/such/folder/out.ADI");
  QString error;
  EXPECT_FALSE(capture::WriteExportFile(path, kWhen, "data", &error));
  EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
  EXPECT_TRUE(error.contains(": ")) << error.toStdString();
}

}  // namespace
