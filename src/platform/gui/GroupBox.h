#pragma once
// A group box that places its caption and frame itself. The window puts
// buttons and values in the caption's band at fixed pixels, so the frame line
// must not move with the style: Qt's own group box drew it two pixels higher
// from Qt 6.8 on, across the buttons of the curve boxes.
#include <QGroupBox>

class QPainter;
class QPixmap;

class TGroupBox : public QGroupBox {
  Q_OBJECT
 public:
  using QGroupBox::QGroupBox;

  // The caption's text starts this many pixels below the box's top ...
  static constexpr int kCaptionTop = 1;
  // ... and the frame's top line runs along this row, the first row below
  // the caption's band.
  static constexpr int kFrameLineRow = 18;

  // The frame of a box of the given size: its top line on kFrameLineRow, its
  // other sides on the box's edges. With no frame picture, plain lines of the
  // same tone take its place.
  static void DrawFrame(QPainter& painter, const QSize& box, const QPixmap& picture);
  // The style's group-box frame picture, which keeps the boxes looking as
  // the rest of the window does; null where Qt no longer ships it.
  static const QPixmap& FramePicture();

 protected:
  void paintEvent(QPaintEvent* event) override;
};
