#include "monitor/gui/ProgramArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <cmath>

namespace {
// A charge as the monitor draws it: a quick rise, a long slope, the small
// peak at the end of a charge and the drop after it. x and y run from 0 to 1.
QPolygonF ChargeCurve(const QRectF& r, int points) {
  QPolygonF curve;
  for (int i = 0; i < points; ++i) {
    const double x = double(i) / (points - 1);
    double y = 0.55 * (1 - std::exp(-x * 12)) + 0.25 * x;
    if (x > 0.78) y += 0.18 * std::exp(-std::pow((x - 0.86) / 0.05, 2));
    if (x > 0.86) y -= 0.08 * (x - 0.86) / 0.14;
    curve << QPointF(r.left() + x * r.width(), r.bottom() - y * r.height());
  }
  return curve;
}

void Cell(QPainter& p, const QRectF& r, const QColor& colour) {
  QLinearGradient shine(r.topLeft(), r.topRight());
  shine.setColorAt(0, colour.darker(130));
  shine.setColorAt(0.35, colour.lighter(135));
  shine.setColorAt(1, colour.darker(160));
  p.setPen(QPen(colour.darker(220), 1));
  p.setBrush(shine);
  p.drawRoundedRect(r, 3, 3);
  p.setBrush(QColor(200, 200, 205));
  p.drawRect(QRectF(r.center().x() - 3, r.top() - 3, 6, 3));
}
}  // namespace

QImage AboutPicture() {
  QImage image(195, 127, QImage::Format_RGB888);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, 127);
  sky.setColorAt(0, QColor(24, 44, 92));
  sky.setColorAt(1, QColor(70, 120, 175));
  p.fillRect(image.rect(), sky);

  // The charger, its display and its keys.
  p.setPen(QPen(QColor(25, 25, 30), 1.5));
  p.setBrush(QColor(78, 80, 90));
  p.drawRoundedRect(QRectF(8, 30, 112, 88), 7, 7);
  p.setBrush(QColor(16, 48, 24));
  const QRectF screen(16, 38, 96, 50);
  p.drawRoundedRect(screen, 3, 3);
  p.setPen(QPen(QColor(40, 95, 50), 1, Qt::DotLine));
  for (int i = 1; i < 4; ++i) p.drawLine(QPointF(screen.left() + 2, screen.top() + i * 12.5),
                                         QPointF(screen.right() - 2, screen.top() + i * 12.5));
  p.setPen(QPen(QColor(120, 255, 120), 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(ChargeCurve(screen.adjusted(4, 6, -4, -5), 60));
  const QColor keys[] = {QColor(210, 60, 50), QColor(230, 200, 60), QColor(80, 170, 90), QColor(90, 140, 220)};
  p.setPen(QPen(QColor(20, 20, 25), 1));
  for (int i = 0; i < 4; ++i) {
    p.setBrush(keys[i]);
    p.drawEllipse(QRectF(20 + i * 16, 96, 10, 10));
  }
  // Output sockets and their leads to the pack.
  p.setBrush(QColor(200, 30, 30));
  p.drawEllipse(QRectF(96, 94, 8, 8));
  p.setBrush(QColor(15, 15, 15));
  p.drawEllipse(QRectF(96, 106, 8, 8));
  QPainterPath red(QPointF(104, 98));
  red.cubicTo(125, 96, 128, 40, 147, 47);
  QPainterPath black(QPointF(104, 110));
  black.cubicTo(135, 112, 150, 40, 167, 47);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(215, 35, 35), 2.2));
  p.drawPath(red);
  p.setPen(QPen(QColor(10, 10, 10), 2.2));
  p.drawPath(black);

  // The pack: three cells in a band, the middle one charging.
  for (int i = 0; i < 3; ++i) Cell(p, QRectF(137 + i * 14, 52, 13, 58), QColor(60, 120, 210));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(240, 210, 60, 210));
  p.drawRect(QRectF(136, 76, 43, 10));
  QPolygonF bolt;
  bolt << QPointF(160, 58) << QPointF(152, 72) << QPointF(158, 72) << QPointF(154, 84) << QPointF(165, 68)
       << QPointF(159, 68) << QPointF(163, 58);
  p.setPen(QPen(QColor(120, 80, 0), 0.8));
  p.setBrush(QColor(255, 230, 70));
  p.drawPolygon(bolt);

  // A few frames on their way up the serial cable.
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 6; ++i) {
    p.setBrush(QColor(180, 220, 255, 90 + i * 25));
    p.drawRect(QRectF(14 + i * 17, 12, 11, 7));
  }
  return image;
}

namespace {
// Colours of the 16-colour palette.
const QColor kBlackC(0, 0, 0), kGreen(0, 128, 0), kNavy(0, 0, 128), kGray(128, 128, 128), kSilver(192, 192, 192),
    kYellow(255, 255, 0), kWhite(255, 255, 255);

QPixmap IconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  const double k = size / 32.0;
  p.scale(k, k);
  // A battery lying on its side with a charge curve across its face.
  p.setPen(QPen(kBlackC, size >= 32 ? 2 : 2.0 / k));
  p.setBrush(kNavy);
  p.drawRect(2, 8, 25, 17);
  p.setBrush(kGray);
  p.drawRect(27, 12, 3, 9);
  p.setPen(Qt::NoPen);
  p.setBrush(kGreen);
  p.drawRect(4, 18, 21, 6);
  p.setPen(QPen(kYellow, size >= 32 ? 2 : 2.0 / k));
  const QPointF curve[] = {{4, 22}, {8, 15}, {14, 13}, {19, 12}, {21, 10}, {23, 12}, {25, 13}};
  p.drawPolyline(curve, 7);
  if (size >= 32) {
    p.setPen(QPen(kSilver, 1));
    p.drawLine(4, 10, 24, 10);
    p.setPen(QPen(kWhite, 1));
    p.drawPoint(21, 10);
  }
  p.end();
  return QPixmap::fromImage(image);
}
}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  icon.addPixmap(IconImage(32));
  icon.addPixmap(IconImage(16));
  return icon;
}
