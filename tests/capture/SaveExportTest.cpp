#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>

#include "capture/SaveExport.h"
#include "support/QtPrinters.h"

namespace {

const QDateTime kWhen(QDate(2017, 2, 1), QTime(8, 5, 9));
const QByteArray kHeader = "Generated on 2017-02-01 at 08:05:09\n";

// Takes at most 7 bytes a write and refuses once `room` bytes are held, like a full disk.
class ShortDevice : public QBuffer {
 public:
  explicit ShortDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

 protected:
  qint64 writeData(const char* data, qint64 len) override {
    setErrorString("No space left on device");
    return size() < room_ ? QBuffer::writeData(data, std::min({len, qint64{7}, room_ - size()})) : -1;
  }

 private:
  qint64 room_;
};

QByteArray Contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : "(unreadable)";
}

}  // namespace

TEST(SaveExport, writesTheHeaderLineThenTheBytesAsHeldThroughPartialWrites) {
  EXPECT_EQ(capture::DefaultFileName(kWhen), "ZVK20170201T080509.ADI");
  const QByteArray data("Log<EOH>\r\n<X:3>\x00\xff\r<EOR>\r\n", 22);
  QString error;
  ShortDevice slow(1 << 20);
  EXPECT_TRUE(capture::WriteExport(slow, kWhen, data, &error));
  EXPECT_EQ(slow.data(), kHeader + data);
  ShortDevice full(40);
  EXPECT_FALSE(capture::WriteExport(full, kWhen, data, &error));
  EXPECT_EQ(error, "No space left on device");
}

// An existing file is replaced by a whole new one, or kept whole when the new one cannot be written.
TEST(SaveExport, fileIsReplacedWholeOrKeptWholeAndAFailureNamesTheFileAndTheReason) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath("out.ADI");
  QString error;
  ASSERT_TRUE(capture::WriteExportFile(path, kWhen, QByteArray(5000, 'x'), &error)) << error.toStdString();
  ASSERT_TRUE(capture::WriteExportFile(path, kWhen, "", &error)) << error.toStdString();
  EXPECT_EQ(Contents(path), kHeader);
  // Files may grow to 1 KB only, also for root: the big export cannot be written.
  rlimit normal{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &normal), 0);
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit small{1024, normal.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = capture::WriteExportFile(path, kWhen, QByteArray(100000, 'x'), &error);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &normal), 0);
  EXPECT_FALSE(written);
  EXPECT_EQ(error, "The file \"" + QDir::toNativeSeparators(path) + "\" could not be saved: File too large");
  EXPECT_EQ(Contents(path), kHeader);
  const QString missing = QDir(dir.path()).filePath("no/such/folder/out.ADI");
  EXPECT_FALSE(capture::WriteExportFile(missing, kWhen, "", &error));
  EXPECT_EQ(error, "The file \"" + QDir::toNativeSeparators(missing) + "\" could not be saved: No such file or directory");
}
