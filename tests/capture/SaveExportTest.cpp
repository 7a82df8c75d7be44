#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>

#include "capture/SaveExport.h"
#include "support/QtPrinters.h"

namespace {

const QDateTime kWhen(QDate(2017, 2, 1), QTime(8, 5, 9));
const QByteArray kHeader = "Generated on 2017-02-01 at 08:05:09\n";

// Takes at most 7 bytes a write and refuses once `room` bytes are taken, like a full disk.
class ShortDevice : public QIODevice {
 public:
  explicit ShortDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }
  QByteArray written;

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 len) override {
    setErrorString("No space left on device");
    const qint64 n = std::min({len, qint64{7}, room_ - written.size()});
    written.append(data, n);
    return n > 0 ? n : -1;
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
  EXPECT_EQ(capture::HeaderLine(kWhen) + "\n", kHeader);
  QString error;
  ShortDevice slow(1 << 20);
  EXPECT_TRUE(capture::WriteExport(slow, kWhen, "Log<EOH><EOR>", &error));
  EXPECT_EQ(slow.written, kHeader + "Log<EOH><EOR>");
  ShortDevice full(40);
  EXPECT_FALSE(capture::WriteExport(full, kWhen, "Log<EOH><EOR>", &error));
  EXPECT_EQ(error, "No space left on device");
}

// An existing file is replaced by a whole new one, or kept whole when the new one cannot be written.
TEST(SaveExport, fileIsReplacedWholeOrKeptWholeAndAFailureNamesTheFileAndTheReason) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath("out.ADI");
  const QByteArray data("Log<EOH>\r\n<X:3>\x00\xff\r<EOR>\r\n", 22);
  QString error;
  ASSERT_TRUE(capture::WriteExportFile(path, kWhen, data.repeated(300), &error)) << error.toStdString();
  ASSERT_TRUE(capture::WriteExportFile(path, kWhen, data, &error)) << error.toStdString();
  EXPECT_EQ(Contents(path), kHeader + data);
  // Files may grow to 1 KB only, also for root: the big export cannot be written.
  rlimit normal{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &normal), 0);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = normal;
  small.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = capture::WriteExportFile(path, kWhen, data.repeated(5000), &error);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &normal), 0);
  EXPECT_FALSE(written);
  EXPECT_EQ(error, "The file \"" + QDir::toNativeSeparators(path) + "\" could not be saved: File too large");
  EXPECT_EQ(Contents(path), kHeader + data);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.ADI"});
  const QString missing = QDir(dir.path()).filePath("no/such/folder/out.ADI");
  EXPECT_FALSE(capture::WriteExportFile(missing, kWhen, "", &error));
  EXPECT_TRUE(error.startsWith("The file \"" + QDir::toNativeSeparators(missing) + "\" could not be saved: "));
  EXPECT_GT(error.size(), 31 + missing.size()) << "no reason given";
  ASSERT_TRUE(capture::WriteExportFile(path, kWhen, "", &error));
  EXPECT_EQ(Contents(path), kHeader);
}
