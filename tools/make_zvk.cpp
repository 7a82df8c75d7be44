// Draws src/resources/zvk.png, the About window's 100 x 76 picture: a small
// transceiver with a tuning dial, its display and an antenna sending waves.
// Build: g++ -std=c++20 -fPIC make_zvk.cpp $(pkg-config --cflags --libs Qt6Gui) -o make_zvk
// Run:   QT_QPA_PLATFORM=offscreen ./make_zvk ../src/resources/zvk.png
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("zvk.png");
  QImage image(100, 76, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  // The log book behind the set: a tilted page with ruled lines.
  p.save();
  p.translate(30, 20);
  p.rotate(-8);
  p.setPen(QPen(QColor(150, 120, 70), 1));
  p.setBrush(QColor(196, 150, 86));
  p.drawRoundedRect(QRectF(-20, -14, 40, 30), 2, 2);
  p.setBrush(QColor(252, 250, 240));
  p.setPen(QPen(QColor(190, 180, 160), 0.8));
  p.drawRect(QRectF(-18, -12, 36, 26));
  p.setPen(QPen(QColor(120, 160, 210), 0.8));
  for (int i = 0; i < 4; ++i) p.drawLine(QPointF(-15, -8 + i * 4), QPointF(15, -8 + i * 4));
  p.setPen(QPen(QColor(220, 90, 80), 0.8));
  p.drawLine(QPointF(-11, -12), QPointF(-11, 14));
  p.restore();

  // Antenna: a whip from the top right corner of the set, with waves.
  p.setPen(QPen(QColor(90, 90, 96), 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(80, 30), QPointF(80, 15));
  p.setBrush(QColor(200, 60, 50));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(80, 14), 2.2, 2.2);
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 3; ++i) {
    const double r = 6 + i * 4.5;
    p.setPen(QPen(QColor(230, 120, 40, 230 - i * 60), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(80 - r, 14 - r, 2 * r, 2 * r), -35 * 16, 70 * 16);
    p.drawArc(QRectF(80 - r, 14 - r, 2 * r, 2 * r), 145 * 16, 70 * 16);
  }

  // Body with a soft shadow.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 50));
  p.drawRoundedRect(QRectF(5, 32, 92, 42), 6, 6);
  QLinearGradient body(0, 29, 0, 71);
  body.setColorAt(0, QColor(88, 94, 104));
  body.setColorAt(1, QColor(44, 48, 56));
  p.setBrush(body);
  p.setPen(QPen(QColor(30, 32, 38), 1));
  p.drawRoundedRect(QRectF(3.5, 29.5, 92, 42), 6, 6);

  // Frequency display.
  QLinearGradient lcd(0, 35, 0, 47);
  lcd.setColorAt(0, QColor(170, 235, 190));
  lcd.setColorAt(1, QColor(110, 200, 140));
  p.setBrush(lcd);
  p.setPen(QPen(QColor(20, 40, 28), 1));
  p.drawRoundedRect(QRectF(9.5, 35.5, 44, 12), 2, 2);
  QFont digits(QStringLiteral("DejaVu Sans Mono"));
  digits.setPixelSize(10);
  digits.setBold(true);
  p.setFont(digits);
  p.setPen(QColor(20, 60, 35));
  p.drawText(QRectF(9.5, 35.5, 44, 12), Qt::AlignCenter, QStringLiteral("14.074"));

  // Small knobs and buttons under the display.
  for (int i = 0; i < 3; ++i) {
    QRadialGradient knob(QPointF(15 + i * 14 - 1, 59 - 1), 5);
    knob.setColorAt(0, QColor(200, 204, 210));
    knob.setColorAt(1, QColor(110, 114, 122));
    p.setBrush(knob);
    p.setPen(QPen(QColor(25, 25, 30), 1));
    p.drawEllipse(QPointF(15 + i * 14, 59), 4.5, 4.5);
  }
  p.setBrush(QColor(230, 120, 40));
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(10, 66, 8, 2.5), 1, 1);
  p.setBrush(QColor(120, 200, 255));
  p.drawRoundedRect(QRectF(24, 66, 8, 2.5), 1, 1);
  p.setBrush(QColor(220, 220, 220));
  p.drawRoundedRect(QRectF(38, 66, 8, 2.5), 1, 1);

  // The big tuning dial with its scale.
  const QPointF c(75, 51);
  p.setPen(QPen(QColor(20, 20, 24), 1));
  p.setBrush(QColor(28, 30, 36));
  p.drawEllipse(c, 16, 16);
  p.setPen(QPen(QColor(210, 214, 220), 1));
  for (int i = 0; i < 24; ++i) {
    const double a = i * M_PI / 12;
    const double r1 = (i % 3 == 0) ? 11.5 : 13;
    p.drawLine(QPointF(c.x() + r1 * std::cos(a), c.y() + r1 * std::sin(a)),
               QPointF(c.x() + 15 * std::cos(a), c.y() + 15 * std::sin(a)));
  }
  QRadialGradient dial(QPointF(c.x() - 3, c.y() - 3), 12);
  dial.setColorAt(0, QColor(205, 210, 218));
  dial.setColorAt(1, QColor(95, 100, 110));
  p.setBrush(dial);
  p.setPen(QPen(QColor(30, 30, 36), 1));
  p.drawEllipse(c, 10, 10);
  p.setBrush(QColor(40, 42, 48));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(c.x() + 5, c.y() - 4.5), 2, 2);

  // A tiny power light.
  p.setBrush(QColor(255, 80, 60));
  p.drawEllipse(QPointF(88, 35.5), 1.6, 1.6);

  p.end();
  return image.save(out, "PNG") ? 0 : 1;
}
