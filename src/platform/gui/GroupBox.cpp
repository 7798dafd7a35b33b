#include "platform/gui/GroupBox.h"

#include <QPainter>
#include <QPixmap>
#include <qdrawutil.h>

namespace {
// The picture is drawn as nine pieces around a stretched middle; its
// outermost row and column on the top and the left are clear.
constexpr int kPictureCorner = 6;
constexpr int kPictureMargin = 1;
}  // namespace

const QPixmap& TGroupBox::FramePicture() {
  static const QPixmap picture(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"));
  return picture;
}

void TGroupBox::DrawFrame(QPainter& painter, const QSize& box, const QPixmap& picture) {
  const int top = kFrameLineRow - kPictureMargin;
  painter.save();
  if (!picture.isNull()) {
    // Stretched smoothly, as the style draws it.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QMargins corners(kPictureCorner, kPictureCorner, kPictureCorner, kPictureCorner);
    qDrawBorderPixmap(&painter, QRect(0, top, box.width(), box.height() - top), corners, picture);
  } else {
    // The picture's tone: a grey line at a fifth of full cover.
    painter.setPen(QColor(117, 117, 117, 51));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(kPictureMargin, kFrameLineRow, box.width() - 1 - kPictureMargin, box.height() - 1 - kFrameLineRow);
  }
  painter.restore();
}

void TGroupBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  DrawFrame(painter, size(), FramePicture());
  // palette() is already the colour group of the box's state: a disabled
  // box's caption greys as the style's did.
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setFont(font());
  const QRect band(0, kCaptionTop, width(), kFrameLineRow - kCaptionTop);
  painter.drawText(band, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic, title());
}
