#pragma once
// A framed light-grey track with a light-blue fill of Value out of Maximum.
// Value and Maximum are plain fields: set them, then Refresh() to repaint.

#include <QWidget>

class QPaintEvent;

namespace app {

class MyProgressBar : public QWidget {
  Q_OBJECT
 public:
  explicit MyProgressBar(QWidget* parent = nullptr);

  // Sizes the frame and the canvas for a window drawn `scale` times its design.
  void setDesignScale(double scale);

  // Window.Refresh(False): repaint without erasing first.
  void Refresh();

  QWidget* Rectangle1() const { return rectangle1_; }
  QWidget* PB() const { return pb_; }

  // The fill width PB_Paint draws for the canvas width `canvasWidth`; 0 with
  // nothing but the track when Value or Maximum is 0.
  static qint64 FillWidth(qint64 value, qint64 maximum, int canvasWidth);

  qint64 Value = 0;
  qint64 Maximum = 100;

 private:
  friend class PaintCanvas;
  void PB_Paint(QWidget* canvas, QPaintEvent* event);
  QWidget* rectangle1_;
  QWidget* pb_;
};

}  // namespace app
