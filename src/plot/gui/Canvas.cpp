#include "plot/gui/Canvas.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "platform/gui/WidgetLook.h"

namespace {
// Em height per pixel of character cell, for a face, measured once at a
// large size where rounding does not matter.
double EmPerCell(const QString& face) {
  static QHash<QString, double> cache;
  auto it = cache.constFind(face);
  if (it != cache.constEnd()) return *it;
  QFont f(face);
  f.setPixelSize(1000);
  const QFontMetricsF fm(f);
  const double cell = fm.ascent() + fm.descent();
  const double ratio = cell > 0 ? 1000.0 / cell : 1.0;
  cache.insert(face, ratio);
  return ratio;
}

// Dotted pen: three pixels on, three off (in pen widths).
const QList<qreal>& DotPattern() {
  static const QList<qreal> pattern{3.0, 3.0};
  return pattern;
}
}  // namespace

Canvas::Canvas(QPainter& painter, QImage* image) : painter_(painter) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  if (QPaintDevice* device = painter_.device()) dpiY_ = device->logicalDpiY();
  if (image && painter_.device() == image &&
      (image->format() == QImage::Format_RGB32 ||
       image->format() == QImage::Format_ARGB32_Premultiplied)) {
    // The painter already holds the image, so this does not detach it.
    image_ = image;
    bits_ = image->bits();
    bytesPerLine_ = image->bytesPerLine();
    imageWidth_ = image->width();
    imageHeight_ = image->height();
  }
  SetFont("Comic Sans MS", -13, 0);
  ApplyPen();
}

void Canvas::ApplyPen() {
  QPen pen(penColor_);
  pen.setWidth(penWidth_);
  // A thin pen covers both end pixels; a wide one ends round.
  pen.setCapStyle(penWidth_ <= 1 ? Qt::SquareCap : Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  if (penStyle_ == PenStyle::Dot) pen.setDashPattern(DotPattern());
  painter_.setPen(pen);
}

void Canvas::SetPenColor(const QColor& c) {
  if (c == penColor_) return;
  penColor_ = c;
  ApplyPen();
}

void Canvas::SetPenStyle(PenStyle style) {
  if (style == penStyle_) return;
  penStyle_ = style;
  ApplyPen();
}

void Canvas::SetPenWidth(int width) {
  width = std::max(width, 1);
  if (width == penWidth_) return;
  penWidth_ = width;
  ApplyPen();
}

void Canvas::SetFont(const char* face, int height, int escapement) {
  QFont f{look::Face(face)};
  // Glyphs side by side at their own advances, without kerning or ligatures:
  // plain text output, and much quicker to lay out.
  f.setStyleStrategy(QFont::PreferNoShaping);
  int px = std::abs(height);
  if (height > 0) px = static_cast<int>(std::lround(height * EmPerCell(f.family())));
  f.setPixelSize(std::max(px, 1));
  font_ = f;
  escapement_ = escapement;
}

void Canvas::SetFontSize(int points) {
  // Points to device pixels as the system does it: rounded, not truncated.
  const int px = static_cast<int>(std::lround(points * dpiY_ / 72.0));
  font_.setPixelSize(std::max(px, 1));
  escapement_ = 0;
}

void Canvas::SetFontPlain() {
  font_.setBold(false);
  font_.setItalic(false);
  font_.setUnderline(false);
  font_.setStrikeOut(false);
  escapement_ = 0;
}

void Canvas::LineTo(int x, int y) {
  const QPoint to(x, y);
  painter_.drawLine(pos_, to);
  pos_ = to;
}

bool Canvas::CanWriteDirectly() const {
  return bits_ && penWidth_ <= 1 && penStyle_ == PenStyle::Solid && penColor_.alpha() == 255 &&
         painter_.opacity() == 1.0 && !painter_.hasClipping() &&
         painter_.worldTransform().type() == QTransform::TxNone &&
         painter_.compositionMode() == QPainter::CompositionMode_SourceOver;
}

void Canvas::VerticalRun(int x, int top, int bottom) {
  if (!CanWriteDirectly()) {
    painter_.drawLine(QPoint(x, top), QPoint(x, bottom));
    return;
  }
  if (x < 0 || x >= imageWidth_) return;
  top = std::max(top, 0);
  bottom = std::min(bottom, imageHeight_ - 1);
  const QRgb rgb = penColor_.rgb();
  uchar* p = bits_ + static_cast<qsizetype>(top) * bytesPerLine_ + x * 4;
  for (int y = top; y <= bottom; ++y, p += bytesPerLine_) *reinterpret_cast<QRgb*>(p) = rgb;
}

QRect Canvas::TextRect(int x, int y, const char* utf8) const {
  const QFontMetrics fm(font_, painter_.device());
  return QRect(x, y, fm.horizontalAdvance(QString::fromUtf8(utf8)), fm.ascent() + fm.descent());
}

void Canvas::TextOut(int x, int y, const char* utf8) {
  const QString text = QString::fromUtf8(utf8);
  const QFontMetrics fm(font_, painter_.device());
  const QRect cell(0, 0, fm.horizontalAdvance(text), fm.ascent() + fm.descent());
  if (image_ && escapement_ == 0 && painter_.worldTransform().type() == QTransform::TxNone) {
    TextOutOnImage(x, y, text, cell, fm.ascent());
    return;
  }
  painter_.save();
  painter_.translate(x, y);
  // Escapement turns counter-clockwise on the page; y grows downward here.
  if (escapement_ != 0) painter_.rotate(-escapement_ / 10.0);
  if (brushStyle_ == BrushStyle::Solid) painter_.fillRect(cell, brushColor_);
  painter_.setFont(font_);
  painter_.setPen(fontColor_);
  painter_.drawText(QPoint(0, fm.ascent()), text);
  painter_.restore();
}

// Upright text on the image: the glyphs are first drawn on a transparent
// strip and the strip is laid over the cell. Glyphs drawn straight onto an
// opaque image are blended with gamma correction, which costs four times as
// much; the live caption of every new sample could not afford it.
void Canvas::TextOutOnImage(int x, int y, const QString& text, const QRect& cell, int ascent) {
  static QImage strip;
  // Room around the cell for glyphs that reach beyond their advance.
  const int margin = cell.height() / 2 + 1;
  const QSize need(cell.width() + 2 * margin, cell.height() + 2 * margin);
  if (strip.width() < need.width() || strip.height() < need.height())
    strip = QImage(need.expandedTo(strip.size()), QImage::Format_ARGB32_Premultiplied);
  const QRect used(QPoint(0, 0), need);
  {
    QPainter sp(&strip);
    sp.setCompositionMode(QPainter::CompositionMode_Source);
    sp.fillRect(used, Qt::transparent);
    sp.setCompositionMode(QPainter::CompositionMode_SourceOver);
    sp.setFont(font_);
    sp.setPen(fontColor_);
    sp.drawText(QPoint(margin, margin + ascent), text);
  }
  if (brushStyle_ == BrushStyle::Solid) painter_.fillRect(cell.translated(x, y), brushColor_);
  painter_.drawImage(QPoint(x - margin, y - margin), strip, used);
}

void Canvas::FillRect(const QRect& r) { painter_.fillRect(r, brushColor_); }
