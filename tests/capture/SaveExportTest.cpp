#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>

#include "capture/SaveExport.h"
#include "support/AsOrdinaryUser.h"
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

}  // namespace

TEST(SaveExport, writesTheHeaderLineThenTheBytesAsHeldThroughPartialWrites) {
  const QByteArray data("Log<EOH>\r\n<X:3>\x00\xff\r<EOR>\r\n", 22);
  QString error;
  ShortDevice device;
  ASSERT_TRUE(device.open(QIODevice::WriteOnly));
  EXPECT_TRUE(capture::WriteExport(device, kWhen, data, &error));
  EXPECT_EQ(device.data(), kHeader + data);
}

// Every write succeeds, but the new file cannot take the old one's place: in a folder with the sticky bit
// only the old file's owner may replace it. The save fails, says why, and the old file stays whole.
TEST(SaveExport, aFailedFinalStepIsReportedAndLeavesTheOldFileWhole) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, to own the old file as another user";
  QTemporaryDir folder;
  const QString path = folder.filePath("mylog.ADI");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("an older log\n") == 13);
  old.close();
  ASSERT_TRUE(::chmod(QFile::encodeName(folder.path()), 01777) == 0 && ::chmod(QFile::encodeName(path), 0666) == 0);
  QString error;
  testsupport::AsOrdinaryUser user;
  ASSERT_TRUE(user.ok());
  EXPECT_FALSE(capture::WriteExportFile(path, kWhen, QByteArray(100000, 'x'), &error));
  EXPECT_EQ(error, "The file \"" + path + "\" could not be saved: Operation not permitted");
  EXPECT_TRUE(old.open(QIODevice::ReadOnly) && old.readAll() == "an older log\n") << "the old file whole";
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"mylog.ADI"}) << "no leftovers";
}
