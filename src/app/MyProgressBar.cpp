#include "app/MyProgressBar.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/Text.h"

namespace app {
namespace {

const QColor kTrack(230, 230, 230);
const QColor kBorder(153, 153, 153);
const QColor kFill(135, 206, 250);

constexpr int kFrameWidth = 300;
constexpr int kFrameHeight = 17;

// Rectangle1: the light-grey track inside a mid-grey border.
class FrameRect : public QWidget {
 public:
  explicit FrameRect(QWidget* parent) : QWidget(parent) {}
  void setBorder(int border) {
    border_ = border;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter g(this);
    const int w = width(), h = height(), b = border_;
    g.fillRect(0, 0, w, h, kTrack);
    g.fillRect(0, 0, w, b, kBorder);
    g.fillRect(0, h - b, w, b, kBorder);
    g.fillRect(0, 0, b, h, kBorder);
    g.fillRect(w - b, 0, b, h, kBorder);
  }

 private:
  int border_ = 1;
};

}  // namespace

// PB: a transparent canvas whose painting belongs to the bar.
class PaintCanvas : public QWidget {
 public:
  PaintCanvas(MyProgressBar* bar, QWidget* parent) : QWidget(parent), bar_(bar) {}

 protected:
  void paintEvent(QPaintEvent* event) override { bar_->PB_Paint(this, event); }

 private:
  MyProgressBar* bar_;
};

MyProgressBar::MyProgressBar(QWidget* parent) : QWidget(parent) {
  resize(302, kFrameHeight);
  setFocusPolicy(Qt::NoFocus);
  auto* frame = new FrameRect(this);
  frame->setObjectName(QStringLiteral("Rectangle1"));
  rectangle1_ = frame;
  pb_ = new PaintCanvas(this, frame);
  pb_->setObjectName(QStringLiteral("PB"));
  setDesignScale(1.0);
}

void MyProgressBar::setDesignScale(double scale) {
  if (!(scale > 0.0) || !std::isfinite(scale)) scale = 1.0;
  const int border = std::max(1, int(std::lround(scale)));
  const int width = int(std::lround(kFrameWidth * scale));
  const int height = int(std::lround(kFrameHeight * scale));
  rectangle1_->setGeometry(0, 0, width, height);
  static_cast<FrameRect*>(rectangle1_)->setBorder(border);
  pb_->setGeometry(border, border, std::max(0, width - 2 * border), std::max(0, height - 2 * border));
}

void MyProgressBar::Refresh() { pb_->update(); }

qint64 MyProgressBar::FillWidth(qint64 value, qint64 maximum, int canvasWidth) {
  if (value == 0 || maximum == 0) return 0;
  // Maximum over the width first, then Value over that quotient: the order
  // decides the pixel in cases such as 57 of 76.
  const double q = double(maximum) / double(canvasWidth);
  // Far beyond the canvas either way, the conversion stays defined.
  return platform::ToInteger(platform::Round(double(value) / q));
}

void MyProgressBar::PB_Paint(QWidget* canvas, QPaintEvent*) {
  QPainter g(canvas);
  const int w = canvas->width(), h = canvas->height();
  if (Value == 0 || Maximum == 0) {
    g.fillRect(0, 0, w, h, kTrack);
    return;
  }
  const qint64 fill = FillWidth(Value, Maximum, w);
  // Whatever lies past the right edge would not show anyway; a negative width draws nothing.
  if (fill > 0) g.fillRect(0, 0, int(std::min<qint64>(fill, w)), h, kFill);
}

}  // namespace app
