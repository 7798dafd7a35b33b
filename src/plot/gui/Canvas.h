#pragma once
// A small canvas over QPainter with the habits of the drawing code it serves:
// a pen position for MoveTo/LineTo, texts anchored at the top left of their
// cell and drawn on the brush colour unless the brush is clear, fonts given
// by cell height and escapement, sizes in points of the device's resolution.
//
// Lines are drawn without antialiasing; a pen of width 1 covers both end
// pixels of a line and nothing more, which the column-wise curve drawing
// relies on (see plot/CurvePath.h).
#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

class QImage;
class QPainter;

class Canvas {
 public:
  enum class PenStyle { Solid, Dot };
  enum class BrushStyle { Solid, Clear };

  // `painter` is active on its device. When that device is `image`, runs of
  // a thin solid pen are written straight into the image's pixels.
  explicit Canvas(QPainter& painter, QImage* image = nullptr);

  QPainter& Painter() { return painter_; }

  void SetPenColor(const QColor& c);
  void SetPenStyle(PenStyle style);
  void SetPenWidth(int width);
  int PenWidth() const { return penWidth_; }

  void SetBrushColor(const QColor& c) { brushColor_ = c; }
  void SetBrushStyle(BrushStyle style) { brushStyle_ = style; }

  // face: the framework's name, drawn in the face look::Face gives for it.
  // height > 0: the character cell's height; height < 0: the em height; both
  // in device pixels. escapement in tenths of a degree, counter-clockwise.
  void SetFont(const char* face, int height, int escapement);
  // Size in points at the device's resolution; the face stays, the text is
  // upright again.
  void SetFontSize(int points);
  void SetFontColor(const QColor& c) { fontColor_ = c; }
  void SetFontPlain();
  const QFont& Font() const { return font_; }

  void MoveTo(int x, int y) { pos_ = QPoint(x, y); }
  void LineTo(int x, int y);
  // Pixels (x, top) to (x, bottom) in the pen colour: the same pixels as a
  // line between those two points.
  void VerticalRun(int x, int top, int bottom);

  // Text with the top left of its (unrotated) cell at (x, y).
  void TextOut(int x, int y, const char* utf8);
  // The cell of an upright text at (x, y), for repainting what it touched.
  QRect TextRect(int x, int y, const char* utf8) const;
  void FillRect(const QRect& r);

 private:
  void ApplyPen();
  void TextOutOnImage(int x, int y, const QString& text, const QRect& cell, int ascent);
  bool CanWriteDirectly() const;

  QPainter& painter_;
  QImage* image_ = nullptr;
  uchar* bits_ = nullptr;
  qsizetype bytesPerLine_ = 0;
  int imageWidth_ = 0, imageHeight_ = 0;
  int dpiY_ = 96;

  QPoint pos_;
  QColor penColor_ = Qt::black;
  PenStyle penStyle_ = PenStyle::Solid;
  int penWidth_ = 1;
  QColor brushColor_ = Qt::white;
  BrushStyle brushStyle_ = BrushStyle::Solid;
  QFont font_;
  int escapement_ = 0;
  QColor fontColor_ = Qt::black;
};
