#pragma once
#include <QByteArray>

namespace platform {

// Where received bytes wait: the serial control, or a test's stand-in.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Every byte now buffered; nothing consumed.
  virtual QByteArray LookAhead() const = 0;
  // Every byte now buffered; they leave the buffer.
  virtual QByteArray ReadAll() = 0;
  virtual qint64 bytesAvailable() const = 0;
};

}  // namespace platform
