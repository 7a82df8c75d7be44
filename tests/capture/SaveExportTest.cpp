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

// Takes at most 7 bytes a write, as a device may.
struct ShortDevice : QBuffer {
  qint64 writeData(const char* data, qint64 len) override {
    return QBuffer::writeData(data, std::min<qint64>(len, 7));
  }
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
  ShortDevice device;
  ASSERT_TRUE(device.open(QIODevice::WriteOnly));
  EXPECT_TRUE(capture::WriteExport(device, kWhen, data, &error));
  EXPECT_EQ(device.data(), kHeader + data);
}

// An existing file is replaced by a whole new one, or kept whole when the new one cannot be written.
TEST(SaveExport, fileIsReplacedWholeOrKeptWholeAndAFailureNamesTheFileAndTheReason) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath("out.ADI");
  QString error;
  ASSERT_TRUE(capture::WriteExportFile(path, kWhen, QByteArray(5000, 'x'), &error)) << error.toStdString();
  ASSERT_TRUE(capture::WriteExportFile(path, kWhen, "", &error)) << error.toStdString();
  EXPECT_EQ(Contents(path), kHeader);
  // Files may grow to 1 KB only, also for root: a 4 KB export, within the
  // write buffer, cannot be written, and the device says why.
  rlimit normal{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &normal), 0);
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit small{1024, normal.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = capture::WriteExportFile(path, kWhen, QByteArray(4000, 'x'), &error);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &normal), 0);
  EXPECT_FALSE(written);
  EXPECT_EQ(error, "The file \"" + QDir::toNativeSeparators(path) + "\" could not be saved: File too large");
  EXPECT_EQ(Contents(path), kHeader);
}
