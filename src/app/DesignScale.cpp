#include "app/DesignScale.h"

#include <QFontMetrics>
#include <QRect>
#include <cmath>

namespace app {

int Scaled(int designPixels, double scale) { return int(std::lround(designPixels * scale)); }

bool TextFits(const QFont& font, const QString& text, int width, int height) {
  const QRect used = QFontMetrics(font).boundingRect(QRect(0, 0, width, 1 << 20),
                                                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
  return used.width() <= width && used.height() <= height;
}

double SmallestScale(double from, double step, const std::function<bool(double)>& fitsAt, double otherwise) {
  for (double scale = from; scale < 4.0; scale += step)
    if (fitsAt(scale)) return scale;
  return otherwise;
}

}  // namespace app
