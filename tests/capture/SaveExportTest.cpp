#include <gtest/gtest.h>

#include <QBuffer>
#include <algorithm>

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
