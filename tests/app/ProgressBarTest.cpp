// The bar as a user sees it: pixels of the rendered control.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <limits>

#include "app/MyProgressBar.h"

namespace {

const QRgb kTrack = qRgb(230, 230, 230);
const QRgb kBorder = qRgb(153, 153, 153);
const QRgb kFill = qRgb(135, 206, 250);

QImage render(app::MyProgressBar& bar) { return bar.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Columns of the canvas painted blue, checking that every column is wholly
// blue or wholly grey and that the blue ones are a run from the left edge.
int blueColumns(app::MyProgressBar& bar) {
  const QImage image = render(bar);
  const QRect canvas = bar.PB()->geometry().translated(bar.Rectangle1()->pos());
  int blue = 0;
  for (int x = 0; x < canvas.width(); ++x) {
    const QRgb top = image.pixel(canvas.left() + x, canvas.top());
    EXPECT_TRUE(top == kFill || top == kTrack) << "column " << x;
    for (int y = 1; y < canvas.height(); ++y)
      EXPECT_EQ(image.pixel(canvas.left() + x, canvas.top() + y), top) << "column " << x << " row " << y;
    if (top == kFill) {
      EXPECT_EQ(blue, x) << "blue columns must start at the left edge";
      ++blue;
    }
  }
  return blue;
}

int blueFor(qint64 value, qint64 maximum) {
  app::MyProgressBar bar;
  bar.Value = value;
  bar.Maximum = maximum;
  return blueColumns(bar);
}

TEST(ProgressBar, startsAtZeroOfHundredWithTheDesignedFrameAndCanvas) {
  app::MyProgressBar bar;
  EXPECT_EQ(bar.Value, 0);
  EXPECT_EQ(bar.Maximum, 100);
  EXPECT_EQ(bar.Rectangle1()->geometry(), QRect(0, 0, 300, 17));
  EXPECT_EQ(bar.PB()->geometry().translated(bar.Rectangle1()->pos()), QRect(1, 1, 298, 15));
  EXPECT_EQ(bar.Rectangle1()->objectName(), "Rectangle1");
  EXPECT_EQ(bar.PB()->objectName(), "PB");
  EXPECT_EQ(bar.focusPolicy(), Qt::NoFocus);
}

TEST(ProgressBar, frameIsGreyTrackWithOnePixelMidGreyBorder) {
  app::MyProgressBar bar;
  bar.Value = 50;
  const QImage image = render(bar);
  for (int x = 0; x < 300; ++x) {
    EXPECT_EQ(image.pixel(x, 0), kBorder) << x;
    EXPECT_EQ(image.pixel(x, 16), kBorder) << x;
  }
  for (int y = 0; y < 17; ++y) {
    EXPECT_EQ(image.pixel(0, y), kBorder) << y;
    EXPECT_EQ(image.pixel(299, y), kBorder) << y;
  }
  // Right of the fill the frame's own grey shows through the canvas.
  EXPECT_EQ(image.pixel(1 + 200, 8), kTrack);
}

// The fill is Value / (Maximum / 298) pixels, rounded, halves away from zero;
// no clamping: beyond the canvas fills it, a negative width draws nothing.
TEST(ProgressBar, fillWidthIsValueOverMaximumOfTheCanvasRounded) {
  constexpr qint64 kMax = std::numeric_limits<qint64>::max();
  constexpr qint64 kMin = std::numeric_limits<qint64>::min();
  const struct {
    qint64 value, maximum, width, blue;
  } cases[] = {
      {50, 100, 149, 149},  {1, 100, 3, 3},  // 2.98
      {1, 1000, 0, 0},      // 0.298
      {57, 76, 223, 223},   // just below 223.5 in this division order
      {76, 76, 298, 298},   {1, 596, 1, 1},  // exactly one half rounds away from zero
      {0, 100, 0, 0},       {0, 0, 0, 0},    {1234, 0, 0, 0}, {0, -5, 0, 0},
      {150, 100, 447, 298}, {5, -100, -15, 0}, {-5, 100, -15, 0},
      // Extreme values saturate instead of overflowing.
      {kMax, 1, kMax, 298}, {kMin, 1, kMin, 0}, {kMax, kMax, 298, 298},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " of " + std::to_string(c.maximum));
    EXPECT_EQ(app::MyProgressBar::FillWidth(c.value, c.maximum, 298), c.width);
    EXPECT_EQ(blueFor(c.value, c.maximum), c.blue);
  }
  EXPECT_EQ(app::MyProgressBar::FillWidth(1, 1, 0), 0);
}

TEST(ProgressBar, designScaleGrowsFrameAndCanvasTogether) {
  app::MyProgressBar bar;
  bar.resize(604, 34);
  bar.setDesignScale(2.0);
  EXPECT_EQ(bar.Rectangle1()->geometry(), QRect(0, 0, 600, 34));
  EXPECT_EQ(bar.PB()->geometry().translated(bar.Rectangle1()->pos()), QRect(2, 2, 596, 30));
  bar.Value = 50;
  EXPECT_EQ(blueColumns(bar), 298);
  bar.setDesignScale(1.0);
  EXPECT_EQ(bar.PB()->geometry().translated(bar.Rectangle1()->pos()), QRect(1, 1, 298, 15));
}

TEST(ProgressBar, repaintsFromTheCurrentFieldsEachTime) {
  app::MyProgressBar bar;
  bar.Value = 100;
  EXPECT_EQ(blueColumns(bar), 298);
  bar.Value = 10;
  bar.Refresh();
  EXPECT_EQ(blueColumns(bar), 30);
  bar.Value = 0;
  EXPECT_EQ(blueColumns(bar), 0);
}

}  // namespace
